// A large text kept in pieces of a fixed size, as a request body arrives or is
// written: one string grown to fit would hold up to twice the text while it is
// copied to a larger one.
#ifndef EXTRATO_HOST_TEXT_PIECES_H_
#define EXTRATO_HOST_TEXT_PIECES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

using TextPieces = std::vector<std::string>;
inline constexpr std::size_t kTextPieceSize = 1 << 20;

// Appends `text`, filling the last piece up to the size before starting another.
void AppendToPieces(TextPieces& pieces, std::string_view text);

}  // namespace host

#endif  // EXTRATO_HOST_TEXT_PIECES_H_
