#include "layouts/santander.h"

#include <gtest/gtest.h>

#include "layouts/statement_writer.h"
#include "testing/layout_test_support.h"

namespace importers::testing {
namespace {

TEST(SantanderTest, AgencyIsTheLastFourOfColumns53To57AsWritten) {
  const Layout& santander = LayoutNamed("santander");
  EXPECT_EQ("0679", SantanderAgency(santander, writer::FixedLine(240).Put(53, 5, "00679").str()));
  EXPECT_EQ("06 9", SantanderAgency(santander, writer::FixedLine(240).Put(53, 5, "006 9").str()));
  EXPECT_EQ(" 679", SantanderAgency(santander, writer::FixedLine(240).Put(53, 5, "  679").str()));
  // Real trims it.
  const Layout& real = LayoutNamed("real");
  EXPECT_EQ("679", real.agency(real, writer::FixedLine(240).Put(53, 5, "  679").str()));
}

class SantanderImportTest : public LayoutImportTest {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use("santander");
  }
};

TEST_F(SantanderImportTest, BlankInTheAgencyReachesTheLookup) {
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(OverRecords(Statement(), {55, 1}, ' ')));
  EXPECT_EQ(std::vector<std::string>{kContaNaoCadastrada}, Texts());
  EXPECT_EQ("0 79", ParamsOf("GetContCorr")[1]);
}

TEST_F(SantanderImportTest, StoredDocumentIsTheOneFittedForTheLookup) {
  std::vector<std::string> lines = Statement(1);
  Put(lines[MovementLine(lines, 0)], layout().columns.document, "  PIX 77");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ("000000000000PIX 77",
            ParamsOf("GetPesqLancLote")[0][0][1].get<std::string>().substr(2));
  EXPECT_EQ(std::vector<std::string>{"00000000000000PIX 77"},
            Rows("SELECT NRDOCMOVREAL FROM MOVREAL"));
}

}  // namespace
}  // namespace importers::testing
