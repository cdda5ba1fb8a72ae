#include "layouts/cnab240.h"

#include <gtest/gtest.h>

#include "layouts/statement_writer.h"
#include "testing/layout_test_support.h"

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

  // A file of two movements whose batch starts on that day of January 2024, with
  // documents from `first_document` on.
  std::vector<std::string> Batch(const std::string& day, int first_document) const {
    std::vector<std::string> lines = Statement(2);
    Put(lines[LineOfKind(lines, layout().kinds.initial_balance)], layout().columns.day, day);
    for (int n = 0; n < 2; ++n) {
      Put(lines[MovementLine(lines, n)], layout().columns.document,
          std::to_string(first_document + n));
    }
    return lines;
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

// The account is resolved once per file: a batch of another account would be booked
// to the first one.
TEST_F(RealImportTest, BatchOfAnotherAccountEndsTheRunBeforeItStoresAnything) {
  RegisterAccounts(2);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(Statement(4, 2)));
  EXPECT_EQ(Names{"Arquivo contém extratos de mais de uma conta corrente; importe um arquivo por "
                  "conta."},
            Texts());
  EXPECT_EQ(0, Count("EXTRBANCO"));
  EXPECT_EQ(0, Count("MOVREAL"));
}

// A second new statement takes a code of its own; the third batch goes back to the
// first statement and numbers on after the movements this run gave it.
TEST_F(RealImportTest, BatchesDatedD1D2D1NeverRepeatACodeOrANumber) {
  std::vector<std::string> lines = Batch("02", 100);
  for (const auto& [day, document] : {std::pair{"03", 200}, std::pair{"02", 300}}) {
    std::vector<std::string> batch = Batch(day, document);
    lines.insert(lines.end(), batch.begin(), batch.end());
  }
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ((Names{"0000000001|2024-01-02", "0000000002|2024-01-03"}),
            Rows("SELECT CDSEQUEXTR, DTSALDINIC FROM EXTRBANCO ORDER BY CDSEQUEXTR"));
  EXPECT_EQ((Names{"0000000001|0000000001|100", "0000000001|0000000002|101",
                   "0000000001|0000000003|300", "0000000001|0000000004|301",
                   "0000000002|0000000003|200", "0000000002|0000000004|201"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL, LTRIM(NRDOCMOVREAL, '0') FROM MOVREAL "
                 "ORDER BY CDSEQUEXTR, NRSEQMOVREAL"));
}

}  // namespace
}  // namespace importers::testing
