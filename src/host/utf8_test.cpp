#include "host/utf8.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(Utf8Test, DecodesUtf8AsItIsAndAnythingElseAsWindows1252) {
  EXPECT_EQ("TARIFA AÇÃO", DecodeText("TARIFA AÇÃO"));
  EXPECT_EQ("TARIFA AÇÃO", DecodeText("TARIFA A\xC7\xC3O"));
  EXPECT_EQ("€ “x”", DecodeText("\x80 \x93x\x94"));
  EXPECT_FALSE(IsValidUtf8("\xC3"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_TRUE(IsValidUtf8("plain"));
  // Plain text is passed over a word at a time: a fault or a character is seen
  // wherever it falls after it.
  for (std::size_t before = 6; before <= 17; ++before) {
    std::string plain(before, 'A');
    EXPECT_FALSE(IsValidUtf8(plain + "\xC3" + plain)) << before;
    EXPECT_FALSE(IsValidUtf8(plain + "\xC3")) << before;
    EXPECT_TRUE(IsValidUtf8(plain + "ÇÃO" + plain)) << before;
  }
}

TEST(Utf8Test, CutsByCharacters) {
  EXPECT_EQ(5u, Utf8Length("AÇÃOX"));
  // Counted a word at a time: characters of one to three bytes anywhere in it.
  for (std::size_t before = 0; before <= 9; ++before) {
    std::string plain(before, 'A');
    EXPECT_EQ(before * 2 + 4, Utf8Length(plain + "Ç€x" + plain + "É")) << before;
  }
  EXPECT_EQ("AÇ", Utf8Left("AÇÃOX", 2));
  EXPECT_EQ("ÃO", Utf8Mid("AÇÃOX", 2, 2));
  EXPECT_EQ("OX", Utf8Mid("AÇÃOX", 3, 10));  // past the end: what is there
  EXPECT_EQ("", Utf8Mid("AÇ", 5, 2));
  // Past plain text longer than a word, before, at and after the first accent.
  EXPECT_EQ("HIJ", Utf8Mid("ABCDEFGHIJKLMÇÃO", 7, 3));
  EXPECT_EQ("MÇÃ", Utf8Mid("ABCDEFGHIJKLMÇÃO", 12, 3));
  EXPECT_EQ("ÇÃO", Utf8Mid("ABCDEFGHIJKLMÇÃO", 13, 5));
  EXPECT_EQ("O", Utf8Mid("ABCDEFGHIJKLMÇÃO", 15, 1));
  EXPECT_EQ("ÃOX", Utf8Right("AÇÃOX", 3));
  EXPECT_EQ("AÇÃO É", Utf8Upper("aÇãO é"));
}

}  // namespace
}  // namespace host
