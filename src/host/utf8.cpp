#include "host/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace host {

namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

bool IsAscii(std::string_view text) {
  // Eight bytes at a time: statement lines are read field by field, many per line.
  std::uint64_t high = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    high |= word;
  }
  for (; i < text.size(); ++i)
    high |= static_cast<unsigned char>(text[i]);
  return (high & 0x8080808080808080ull) == 0;
}

// Byte offset of character `index`, or the text's size when it has fewer.
std::size_t OffsetOf(std::string_view text, std::size_t index) {
  std::size_t ascii = std::min(index, text.size());
  if (IsAscii(text.substr(0, ascii)) &&
      (ascii == text.size() || !IsContinuation(static_cast<unsigned char>(text[ascii]))))
    return ascii;
  std::size_t offset = 0;
  for (std::size_t n = 0; n < index && offset < text.size(); ++n) {
    ++offset;
    while (offset < text.size() && IsContinuation(static_cast<unsigned char>(text[offset]))) {
      ++offset;
    }
  }
  return offset;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Windows-1252 0x80..0x9F; the undefined bytes map to their Latin-1 control codes.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::size_t Utf8Length(std::string_view text) {
  // Every byte but a continuation (10xxxxxx) begins a character; eight bytes at a
  // time, as every line of a file is measured.
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  std::size_t continuations = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (std::uint64_t marks = word & ~(word << 1) & kHighs)
      continuations += static_cast<std::size_t>(std::popcount(marks));
  }
  for (; i < text.size(); ++i)
    continuations += IsContinuation(static_cast<unsigned char>(text[i]));
  return text.size() - continuations;
}

std::string Utf8Left(std::string_view text, std::size_t count) {
  return std::string(text.substr(0, OffsetOf(text, count)));
}

std::string Utf8Right(std::string_view text, std::size_t count) {
  std::size_t length = Utf8Length(text);
  if (count >= length)
    return std::string(text);
  return std::string(text.substr(OffsetOf(text, length - count)));
}

std::string Utf8Mid(std::string_view text, std::size_t start, std::size_t count) {
  std::size_t begin = OffsetOf(text, start);
  std::string_view rest = text.substr(begin);
  return std::string(rest.substr(0, OffsetOf(rest, count)));
}

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) {
  unsigned char c = static_cast<unsigned char>(bytes[at]);
  std::size_t extra;
  std::uint32_t min;
  if (c < 0x80) {
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    min = 0x10000;
  } else {
    return 0;
  }
  if (at + extra >= bytes.size())
    return 0;
  std::uint32_t cp = c & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(bytes[at + k]);
    if (!IsContinuation(next))
      return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return extra + 1;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Statement lines are mostly ASCII, and every line of a file is checked: eight
    // bytes at a time while none has its high bit.
    std::uint64_t word;
    if (i + sizeof word <= bytes.size()) {
      std::memcpy(&word, bytes.data() + i, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += sizeof word;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0)
      return false;
    i += length;
  }
  return true;
}

std::string DecodeText(std::string_view bytes) {
  if (IsValidUtf8(bytes))
    return std::string(bytes);
  return DecodeWindows1252(bytes);
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0xA0) {
      AppendUtf8(out, kCp1252High[c - 0x80]);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Utf8Upper(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 'a' && c <= 'z') {
      out += static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xC3 && i + 1 < text.size()) {
      // U+00E0..U+00FE (except U+00F7) are the lower-case Latin-1 letters.
      unsigned char next = static_cast<unsigned char>(text[i + 1]);
      out += static_cast<char>(c);
      bool lower = next >= 0xA0 && next <= 0xBE && next != 0xB7;
      out += static_cast<char>(lower ? next - 0x20 : next);
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace host
