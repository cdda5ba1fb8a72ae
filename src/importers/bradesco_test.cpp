#include "layouts/bradesco.h"

#include <gtest/gtest.h>

#include "testing/import_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

std::string WithAccount(const std::string& account) {
  return writer::FixedLine(200).Put(32, 10, account).str();
}

TEST(BradescoTest, AccountRule) {
  struct Case {
    std::string field;
    std::string account;
  } cases[] = {
      {"0000125668", "0000125668"}, {"000012566P", "0000125660"}, {"000012566p", "000012566p"},
      {"  12566 P", "12566 P"},     {"  125 66  ", "125 66"},     {"   12566 P", "125660"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.account, BradescoAccountNumber(WithAccount(c.field))) << c.field;
  }
  EXPECT_EQ("", BradescoAccountNumber("1"));
}

TEST(BradescoTest, YearWindow) {
  EXPECT_EQ("2089", BradescoYearText("89"));
  EXPECT_EQ("1990", BradescoYearText("90"));
  EXPECT_EQ("2000", BradescoYearText("00"));
  EXPECT_EQ("1999", BradescoYearText("99"));
  EXPECT_EQ("20 5", BradescoYearText(" 5"));
}

class BradescoImportTest : public ImportTest {
 protected:
  host::EventOutcome ImportRecords(const std::vector<std::string>& records,
                                   const std::string& account_type = "Circulante") {
    return Import("237", WriteFile("extrato.txt", BradescoFile(records)), account_type);
  }
};

TEST_F(BradescoImportTest, AccountEndingInPIsLookedUpWithCheckDigitZero) {
  AddAccount("030", "237", "3509", "00125660");
  std::string initial = BradescoBalance('0', "070716", 100);
  std::string movement = BradescoMovement("000001", 100);
  for (std::string* record : {&initial, &movement})
    record->replace(31, 10, "000012566P");

  EXPECT_EQ(host::EventOutcome::kCompleted, ImportRecords({initial, movement}));

  EXPECT_EQ((host::Variant{"237", "3509", "00125660", "C"}), ParamsOf("GetContCorr"));
  EXPECT_EQ(Names{"030"}, Rows("SELECT CDREDUCONT FROM MOVREAL"));
}

TEST_F(BradescoImportTest, TwoDigitYearsAreWindowed) {
  EXPECT_EQ(
      host::EventOutcome::kCompleted,
      ImportRecords({BradescoBalance('0', "070716", 100), BradescoMovement("1", 1, "010189"),
                     BradescoMovement("2", 2, "010190"), BradescoMovement("3", 3, "010100")}));

  EXPECT_EQ((Names{"2089-01-01", "1990-01-01", "2000-01-01"}),
            Rows("SELECT DTMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(BradescoImportTest, BankCheckComesAfterTheAccountLookup) {
  std::string other_bank = BradescoBalance('0', "070716", 100);
  other_bank.replace(191, 3, "341");
  EXPECT_EQ(host::EventOutcome::kAborted, ImportRecords({other_bank}));
  EXPECT_EQ(Names{kBancoInvalido}, Texts());
  EXPECT_EQ((Names{"GetMaskCont", "GetContCorr", "GetVersaoConta", "GetPrxMovReal"}), Calls());
  EXPECT_EQ(&screen_->medCdBanco, screen_->ActiveControl());

  // Of an account not registered, the lookup is what fails.
  other_bank.replace(31, 10, "0000999999");
  EXPECT_EQ(host::EventOutcome::kAborted, ImportRecords({other_bank}));
  EXPECT_EQ(Names{kContaNaoCadastrada}, Texts());
  EXPECT_EQ((Names{"GetMaskCont", "GetContCorr"}), Calls());

  // The account type is part of the account: this one is a current account.
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportRecords({BradescoBalance('0', "070716", 100)}, "Garantida"));
  EXPECT_EQ(Names{kContaNaoCadastrada}, Texts());
  EXPECT_EQ(0, Count("EXTRBANCO"));
}

TEST_F(BradescoImportTest, SecondStatementOfTheFileContinuesTheNumbering) {
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportRecords({BradescoBalance('0', "070716", 100), BradescoMovement("1", 1),
                           BradescoMovement("2", 2), BradescoBalance('2', "070716", 103),
                           BradescoBalance('0', "080716", 103), BradescoMovement("3", 3, "080716"),
                           BradescoBalance('2', "080716", 106)}));

  EXPECT_EQ((Names{"0000000001|2016-07-07|2016-07-07", "0000000002|2016-07-08|2016-07-08"}),
            Rows("SELECT CDSEQUEXTR, DTSALDINIC, DTSALDFIN FROM EXTRBANCO ORDER BY CDSEQUEXTR"));
  EXPECT_EQ((Names{"0000000001|0000000001", "0000000001|0000000002", "0000000002|0000000003"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
  Names calls = Calls();
  EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "GetPrxMovReal"));
}

// The second statement finds the header the first one saved; its movements go on
// after the first's, which the server cannot see yet.
TEST_F(BradescoImportTest, TwoStatementsOfOneDateShareTheNumbering) {
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportRecords({BradescoBalance('0', "070716", 100), BradescoMovement("1", 1),
                           BradescoMovement("2", 2), BradescoBalance('2', "070716", 103),
                           BradescoBalance('0', "070716", 103), BradescoMovement("3", 3),
                           BradescoBalance('2', "070716", 106)}));
  EXPECT_EQ(Names{"0000000001|2016-07-07"}, Rows("SELECT CDSEQUEXTR, DTSALDFIN FROM EXTRBANCO"));
  EXPECT_EQ((Names{"0000000001|0000000001", "0000000001|0000000002", "0000000001|0000000003"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(BradescoImportTest, RecordOfAnotherKindIsCheckedAndStoresNothing) {
  std::string other_kind = BradescoMovement("000009", 900);
  other_kind[41] = '7';
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportRecords({BradescoBalance('0', "070716", 100), other_kind,
                           BradescoMovement("000001", 100), BradescoBalance('2', "070716", 200)}));
  EXPECT_EQ(Names{"0000000001|00000000000000000001"},
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL"));
}

}  // namespace
}  // namespace importers::testing
