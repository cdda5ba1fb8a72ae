#include "layouts/conversions.h"

#include <gtest/gtest.h>

#include "host/exceptions.h"

namespace importers {
namespace {

// The error text of a conversion that must fail.
template <typename F>
std::string ErrorOf(F convert) {
  try {
    convert();
  } catch (const host::EConvertError& e) {
    return e.what();
  }
  return "(sem erro)";
}

TEST(ConversionsTest, DatePartsReadDigitsWithLeadingBlanks) {
  EXPECT_EQ(7, ToDatePart("07", DatePart::kDay, 1));
  EXPECT_EQ(7, ToDatePart(" 7", DatePart::kMonth, 1));
  EXPECT_EQ(2016, ToDatePart("2016", DatePart::kYear, 1));
}

TEST(ConversionsTest, Errors) {
  EXPECT_EQ("Linha 7: '3A' não é um valor válido para o dia.",
            ErrorOf([] { ToDatePart("3A", DatePart::kDay, 7); }));
  EXPECT_EQ("Linha 2: '1 ' não é um valor válido para o mês.",
            ErrorOf([] { ToDatePart("1 ", DatePart::kMonth, 2); }));
  EXPECT_EQ("Linha 3: '20 5' não é um valor válido para o ano.",
            ErrorOf([] { ToDatePart("20 5", DatePart::kYear, 3); }));
  EXPECT_EQ("Linha 4: '' não é um valor válido para o dia.",
            ErrorOf([] { ToDatePart("", DatePart::kDay, 4); }));
  EXPECT_EQ("Linha 5: '-1' não é um valor válido para o dia.",
            ErrorOf([] { ToDatePart("-1", DatePart::kDay, 5); }));
  EXPECT_EQ("Linha 9: '29/02/2023' não é uma data válida.",
            ErrorOf([] { ToDate(2023, 2, 29, "29/02/2023", 9); }));
  EXPECT_EQ("Linha 9: '00/00/0000' não é uma data válida.",
            ErrorOf([] { ToDate(0, 0, 0, "00/00/0000", 9); }));
  EXPECT_EQ("Linha 6: '0000000000033A06,50' não é um valor monetário válido.",
            ErrorOf([] { ToAmount("0000000000033A06", "50", 6); }));
  EXPECT_EQ("Linha 6: '12,5X' não é um valor monetário válido.",
            ErrorOf([] { ToAmount("12", "5X", 6); }));
  EXPECT_EQ("Linha 6: '   ,' não é um valor monetário válido.",
            ErrorOf([] { ToAmount("   ", "", 6); }));
}

// What a file holds is quoted in the error, its control characters and stray bytes
// written out, so that the text neither acts on a terminal nor stops at a NUL.
TEST(ConversionsTest, ErrorsShowWhatWasReadVisibly) {
  EXPECT_EQ("Linha 5: '\\x1b[31m00000016650,46' não é um valor monetário válido.",
            ErrorOf([] { ToAmount("\x1b[31m00000016650", "46", 5); }));
  EXPECT_EQ("Linha 11: '0\\0' não é um valor válido para o dia.",
            ErrorOf([] { ToDatePart(std::string_view("0\0", 2), DatePart::kDay, 11); }));
  EXPECT_EQ("Linha 3: '0\\x07' não é um valor válido para o mês.",
            ErrorOf([] { ToDatePart("0\a", DatePart::kMonth, 3); }));
  EXPECT_EQ("Linha 4: '\\xff2' não é um valor válido para o ano.", ErrorOf([] {
              ToDatePart(
                  "\xff"
                  "2",
                  DatePart::kYear, 4);
            }));
  EXPECT_EQ("Linha 9: '31/\\x9b2/2024' não é uma data válida.", ErrorOf([] {
              ToDate(2024, 2, 31,
                     "31/\xc2\x9b"
                     "2/2024",
                     9);
            }));
}

// The database keeps years 1 to 9999 and amounts to 13 integer digits: beyond them
// the line is refused where it is read, not by the server after the reading.
TEST(ConversionsTest, RangesOfTheDatabase) {
  EXPECT_EQ("Linha 4: a data '05/01/0000' está fora do intervalo aceito (anos de 1 a 9999).",
            ErrorOf([] { ToDate(0, 1, 5, "05/01/0000", 4); }));
  EXPECT_EQ(host::Date(1, 1, 1), ToDate(1, 1, 1, "", 1));
  EXPECT_EQ(host::Date(9999, 12, 31), ToDate(9999, 12, 31, "", 1));
  EXPECT_EQ(
      "Linha 5: o valor '9999999999999999,99' está fora do intervalo aceito (no máximo 13 "
      "dígitos inteiros).",
      ErrorOf([] { ToAmount("9999999999999999", "99", 5); }));
  EXPECT_EQ(
      "Linha 5: o valor '0010000000000000,00' está fora do intervalo aceito (no máximo 13 "
      "dígitos inteiros).",
      ErrorOf([] { ToAmount("0010000000000000", "00", 5); }));
  EXPECT_EQ(
      "Linha 5: o valor ' 99999999999999999999999,00' está fora do intervalo aceito (no máximo "
      "13 dígitos inteiros).",
      ErrorOf([] { ToAmount(" 99999999999999999999999", "00", 5); }));
  EXPECT_DOUBLE_EQ(9999999999999.99, ToAmount("0009999999999999", "99", 1));
}

TEST(ConversionsTest, DatesAndAmounts) {
  EXPECT_EQ(host::Date(2024, 2, 29), ToDate(2024, 2, 29, "", 1));
  EXPECT_DOUBLE_EQ(33406.50, ToAmount("0000000000033406", "50", 1));
  EXPECT_DOUBLE_EQ(12.05, ToAmount("   12", "05", 1));
  EXPECT_DOUBLE_EQ(0.0, ToAmount("0000000000000000", "00", 1));
}

TEST(ConversionsTest, NumberOrZero) {
  EXPECT_EQ(12, ToNumberOrZero("0000000012"));
  EXPECT_EQ(7, ToNumberOrZero(" 7 "));
  EXPECT_EQ(0, ToNumberOrZero(""));
  EXPECT_EQ(0, ToNumberOrZero("12A"));
}

}  // namespace
}  // namespace importers
