#include "layouts/itau_200.h"

#include <gtest/gtest.h>

#include "testing/layout_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

class Itau200Test : public LayoutImportTest {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use("itau-200");
  }
};

TEST_F(Itau200Test, AccountIsLookedUpWithPercentAfterAgencyAccountAndType) {
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));
  EXPECT_EQ((host::Variant{"641", "3886%", "007693%", "C%"}), ParamsOf("GetVerificaContCorr"));

  ImportLines(OverRecords(Statement(), layout().columns.agency, ' '));
  EXPECT_EQ((host::Variant{"641", "%", "007693%", "C%"}), ParamsOf("GetVerificaContCorr"));
}

TEST_F(Itau200Test, YearHasFourDigits) {
  std::vector<std::string> lines = Statement(1);
  std::size_t movement = MovementLine(lines, 0);
  Put(lines[movement], layout().columns.year, "24");
  EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(lines));
  EXPECT_EQ(Names{fmt::format("Linha {}: '24  ' não é um valor válido para o ano.", movement + 1)},
            Texts());

  Put(lines[movement], layout().columns.year, "2031");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ(Names{"2031-01-02"}, Rows("SELECT DTMOVREAL FROM MOVREAL"));
}

// Unlike Bradesco, a final balance forgets the statement's code and numbering.
TEST_F(Itau200Test, SecondStatementOfTheFileNumbersFromOne) {
  RegisterAccounts(2);
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement(4, 2)));
  EXPECT_EQ((Names{"027|0000000001|0000000001", "027|0000000001|0000000002",
                   "G01|0000000001|0000000001", "G01|0000000001|0000000002"}),
            Rows("SELECT CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL "
                 "ORDER BY CDREDUCONT, NRSEQMOVREAL"));
}

// The statements' final balances empty the sequence code; what tells a file
// without data is that no record was read.
TEST_F(Itau200Test, StatementOfBalancesOnlyIsASuccess) {
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement(0)));
  EXPECT_EQ(Names{kSucesso}, Texts());
  EXPECT_EQ(1, Count("EXTRBANCO"));
}

}  // namespace
}  // namespace importers::testing
