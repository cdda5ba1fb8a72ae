#include "host/text_pieces.h"

#include <algorithm>

namespace host {

void AppendToPieces(TextPieces& pieces, std::string_view text) {
  while (!text.empty()) {
    if (pieces.empty() || pieces.back().size() == kTextPieceSize) {
      pieces.emplace_back();
      pieces.back().reserve(kTextPieceSize);
    }
    std::size_t n = std::min(text.size(), kTextPieceSize - pieces.back().size());
    pieces.back().append(text.substr(0, n));
    text.remove_prefix(n);
  }
}

}  // namespace host
