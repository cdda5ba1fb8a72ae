#include "host/visible_text.h"

#include <algorithm>

#include "host/utf8.h"

namespace host {

namespace {

bool IsPlainAscii(char c) {
  return c >= 0x20 && c < 0x7F;
}

void AppendEscape(std::string& out, unsigned char byte) {
  switch (byte) {
    case '\0':
      out += "\\0";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    default: {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
}

// U+0080..U+009F, written in UTF-8 as C2 80..C2 9F: some terminals obey them.
bool IsC1Control(std::string_view bytes, std::size_t at, std::size_t length) {
  return length == 2 && static_cast<unsigned char>(bytes[at]) == 0xC2 &&
         static_cast<unsigned char>(bytes[at + 1]) < 0xA0;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), IsPlainAscii))
    return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0 || (length == 1 && !IsPlainAscii(text[i]))) {
      AppendEscape(out, byte);
      ++i;
    } else if (IsC1Control(text, i, length)) {
      AppendEscape(out, static_cast<unsigned char>(text[i + 1]));
      i += 2;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

}  // namespace host
