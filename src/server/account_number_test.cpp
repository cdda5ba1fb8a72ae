#include "server/account_number.h"

#include <gtest/gtest.h>

#include "layouts/layout.h"

namespace server {
namespace {

TEST(AccountNumberTest, TypedAsTheBankShowsItOrBareIsStoredBare) {
  struct Case {
    const char* typed;
    const char* mask;
    const char* stored;
  };
  const Case cases[] = {
      {"9000000-2", "9999999-9", "90000002"},
      {"90000002", "9999999-9", "90000002"},
      {"769-3", "99999-9", "007693"},              // short: zeros on the left
      {" 0012566-8 ", "9999999-9", "00125668"},    // spaces around
      {"1.234.567-x", "99999999-9", "01234567X"},  // dots, a check digit X
      {"01499-28", "99999-99", "0149928"},
  };
  for (const Case& c : cases) {
    Expected<std::string> stored = StoredAccountNumber(c.typed, c.mask, "237");
    ASSERT_TRUE(stored.ok()) << c.typed << ": " << stored.error();
    EXPECT_EQ(stored.value(), c.stored) << c.typed;
  }
}

TEST(AccountNumberTest, NumbersThatDoNotFitTheMaskAreRefusedWithTheMask) {
  EXPECT_EQ(StoredAccountNumber("123456789-0", "9999999-9", "237").error(),
            "O número da conta \"123456789-0\" tem 10 dígitos; a máscara do banco 237 "
            "(9999999-9) tem 8.");
  EXPECT_EQ(StoredAccountNumber("12A4-5", "9999999-9", "237").error(),
            "O número da conta \"12A4-5\" deve ter só dígitos (e \"-\" antes do dígito "
            "verificador).");
  EXPECT_EQ(StoredAccountNumber(" - ", "9999999-9", "237").error(),
            "O número da conta corrente deve ser informado.");
}

TEST(AccountNumberTest, StoredNumberIsShownOverItsMask) {
  EXPECT_EQ(ShownAccountNumber("90000002", "9999999-9"), "9000000-2");
  EXPECT_EQ(ShownAccountNumber("0149928", "99999-99"), "01499-28");
  EXPECT_EQ(ShownAccountNumber("123", "9999999-9"), "123") << "does not fit: as stored";
  EXPECT_EQ(importers::MaskPlaces("9999999-9"), 8);
}

TEST(AccountNumberTest, AccountTypesByNameAndLetter) {
  for (const AccountType& type : kAccountTypes) {
    EXPECT_EQ(AccountTypeLetter(type.name), type.letter);
    EXPECT_EQ(AccountTypeName(type.letter), type.name);
  }
  EXPECT_EQ(AccountTypeLetter("Aplicação"), "L");
  EXPECT_EQ(AccountTypeLetter("Poupança"), "Poupança") << "not a type: as given";
  EXPECT_EQ(AccountTypeName("X"), "X");
}

}  // namespace
}  // namespace server
