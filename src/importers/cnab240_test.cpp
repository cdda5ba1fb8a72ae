#include "importers/cnab240.h"

#include <gtest/gtest.h>

#include "importers/layout_test_support.h"
#include "importers/statement_writer.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

std::string WithIndicator(const std::string& indicator, const std::string& category) {
  return writer::FixedLine(240).Put(169, 1, indicator).Put(170, 3, category).str();
}

TEST(Cnab240Test, BlankIndicatorFallsBackToTheCategorysFirstDigit) {
  const Layout& real = LayoutNamed("real");
  struct Case {
    std::string indicator, category;
    std::optional<std::string> read;
  } cases[] = {
      {" ", "105", "D"},       {" ", "206", "C"}, {" ", "305", std::nullopt},
      {" ", "", std::nullopt}, {"C", "105", "C"}, {"D", "", "D"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.read, IndicatorOrCategory(real, WithIndicator(c.indicator, c.category)))
        << c.indicator << c.category;
  }
}

class RealImportTest : public LayoutImportTest {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use("real");
  }
};

// Unlike FEBRABAN, no question: only the server's movements count as stored.
TEST_F(RealImportTest, TwoEqualDetailsOfTheFileAreBothImported) {
  std::vector<std::string> lines = Statement(2);
  lines[MovementLine(lines, 1)] = lines[MovementLine(lines, 0)];
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_TRUE(ui_.questions().empty());
  EXPECT_EQ((Names{"0000000001|00000000000000100000", "0000000002|00000000000000100000"}),
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(RealImportTest, RecordWithoutDebitOrCreditIsPassedOver) {
  std::vector<std::string> lines = Statement(2);
  std::string& first = lines[MovementLine(lines, 0)];
  Put(first, layout().columns.indicator, " ");
  Put(first, layout().columns.category, "305");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ(Names{"0000000001|00000000000000100001"},
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL"));
}

}  // namespace
}  // namespace importers::testing
