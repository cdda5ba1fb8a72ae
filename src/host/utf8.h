#ifndef EXTRATO_HOST_UTF8_H_
#define EXTRATO_HOST_UTF8_H_

#include <string>
#include <string_view>

namespace host {

// Texts are held as UTF-8; these count and cut by characters, not bytes.
std::size_t Utf8Length(std::string_view text);
std::string Utf8Left(std::string_view text, std::size_t count);
std::string Utf8Right(std::string_view text, std::size_t count);
// Characters [start, start + count), 0-based; past the end reads what is there.
std::string Utf8Mid(std::string_view text, std::size_t start, std::size_t count);

bool IsValidUtf8(std::string_view bytes);
// Bytes of the character that starts at `at` (< size); 0 when they are no valid UTF-8.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at);
// Valid UTF-8 stays as it is; anything else is read as Windows-1252.
std::string DecodeText(std::string_view bytes);
std::string DecodeWindows1252(std::string_view bytes);

// Upper case of ASCII and of the Latin-1 letters, for comparisons that ignore case.
std::string Utf8Upper(std::string_view text);

}  // namespace host

#endif  // EXTRATO_HOST_UTF8_H_
