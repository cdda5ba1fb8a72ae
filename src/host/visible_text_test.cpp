#include "host/visible_text.h"

#include <string>

#include <gtest/gtest.h>

#include "host/utf8.h"

namespace host {
namespace {

using namespace std::string_literals;

struct Case {
  const char* name;
  std::string text;
  std::string shown;
};

TEST(VisibleTextTest, ShowsControlsAndInvalidBytesAsEscapes) {
  const Case cases[] = {
      {"plain ASCII as it is", "0000000000016650", "0000000000016650"},
      {"Portuguese letters as they are", "TARIFA AÇÃO €", "TARIFA AÇÃO €"},
      {"ESC of a colour sequence", "\x1b[31mX", "\\x1b[31mX"},
      {"BEL", "0\a", "0\\x07"},
      {"NUL keeps what follows", "0\0009"s, "0\\09"},
      {"tab, line feed, carriage return", "a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {"DEL", "a\x7f", "a\\x7f"},
      {"C1 control: CSI",
       "\xc2\x9b"
       "31m",
       "\\x9b31m"},
      {"C1 control: NEL", "a\xc2\x85", "a\\x85"},
      {"first character past C1", "\xc2\xa0", "\xc2\xa0"},
      {"byte that starts nothing",
       "\xff"
       "1",
       "\\xff1"},
      {"lone continuation byte", "a\x80", "a\\x80"},
      {"sequence cut short", "\xc3", "\\xc3"},
      {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
      {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
      {"four-byte character", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    std::string shown = VisibleText(c.text);
    EXPECT_EQ(c.shown, shown) << c.name;
    EXPECT_TRUE(IsValidUtf8(shown)) << c.name;
    EXPECT_EQ(std::string::npos, shown.find('\0')) << c.name;
  }
}

// Every byte value, alone and after a lead byte: the result is always valid UTF-8
// without a control character, so nothing that reaches a terminal or JSON acts.
TEST(VisibleTextTest, NoByteValueGetsThroughRaw) {
  for (int b = 0; b < 256; ++b) {
    for (std::string text : {std::string(1, static_cast<char>(b)), "\xc2"s + static_cast<char>(b),
                             "\xe2\x82"s + static_cast<char>(b)}) {
      std::string shown = VisibleText(text);
      ASSERT_TRUE(IsValidUtf8(shown)) << b;
      for (std::size_t i = 0; i < shown.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(shown[i]);
        ASSERT_TRUE(c >= 0x20 && c != 0x7F) << b;
        if (c == 0xC2 && i + 1 < shown.size()) {
          ASSERT_GE(static_cast<unsigned char>(shown[i + 1]), 0xA0) << b;
        }
      }
    }
  }
}

}  // namespace
}  // namespace host
