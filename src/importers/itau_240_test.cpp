#include "layouts/itau_240.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "layouts/statement_writer.h"
#include "testing/layout_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

class Itau240ImportTest : public LayoutImportTest {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use("itau-240");
  }

  // The statement with its documents moved on by `offset`.
  std::vector<std::string> Statement(long movements, long offset) const {
    std::vector<std::string> lines = LayoutImportTest::Statement(movements);
    for (int n = 0; n < movements; ++n) {
      std::string& line = lines[MovementLine(lines, n)];
      Put(line, layout().columns.document, std::to_string(100000 + offset + n));
    }
    return lines;
  }
};

TEST_F(Itau240ImportTest, BlankDocumentIsLookedUpAndStoredAsTwentyZeros) {
  std::vector<std::string> lines = LayoutImportTest::Statement(1);
  Put(lines[MovementLine(lines, 0)], layout().columns.document, "");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ(std::string(20, '0'), ParamsOf("GetPesqLancLote")[0][0][1]);
  EXPECT_EQ(Names{std::string(20, '0')}, Rows("SELECT NRDOCMOVREAL FROM MOVREAL"));
}

TEST_F(Itau240ImportTest, EachBatchResolvesItsOwnAccount) {
  RegisterAccounts(2);
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(LayoutImportTest::Statement(4, 2)));
  Names calls = Calls();
  EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "GetVerificaContCorr"));
  EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "GetPrxMovReal"));
  EXPECT_EQ((Names{"004|0000000001|0000000001", "004|0000000001|0000000002",
                   "G01|0000000001|0000000001", "G01|0000000001|0000000002"}),
            Rows("SELECT CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL "
                 "ORDER BY CDREDUCONT, NRSEQMOVREAL"));
}

// The second batch finds the header the first one saved, and numbers on after the
// movements the first one built but has not submitted.
TEST_F(Itau240ImportTest, SameDateBatchesOfOneAccountShareTheStatement) {
  std::vector<std::string> lines = Statement(2, 0);
  std::vector<std::string> second = Statement(2, 10);
  lines.insert(lines.end(), second.begin(), second.end());
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ((Names{"0000000001|0000000001|00000000000000100000",
                   "0000000001|0000000002|00000000000000100001",
                   "0000000001|0000000003|00000000000000100010",
                   "0000000001|0000000004|00000000000000100011"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL "
                 "ORDER BY NRSEQMOVREAL"));
  EXPECT_EQ(1, Count("EXTRBANCO"));
}

TEST_F(Itau240ImportTest, StoredStatementWithSevenMovementsGoesOnAtEight) {
  ImportLines(Statement(7, 0));
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement(1, 50)));
  EXPECT_EQ(Names{"0000000008|00000000000000100050"},
            Rows("SELECT MAX(NRSEQMOVREAL), NRDOCMOVREAL FROM MOVREAL"));
}

TEST_F(Itau240ImportTest, BlankLinesAreSkippedWithoutMovingTheProgress) {
  std::vector<std::string> lines = LayoutImportTest::Statement(2);
  for (std::size_t i = lines.size(); i > 0; --i)
    lines.insert(lines.begin() + static_cast<long>(i), "");
  std::string path = WriteFile("extrato.txt", lines);
  EXPECT_EQ(host::EventOutcome::kCompleted, Import(Bank(), path));
  EXPECT_EQ(2, Count("MOVREAL"));
  long long size = static_cast<long long>(std::filesystem::file_size(path));
  EXPECT_EQ(size, screen_->pgbProgresso.Max());
  EXPECT_EQ(size - 2 * static_cast<long long>(lines.size() / 2), screen_->pgbProgresso.Position());
}

}  // namespace
}  // namespace importers::testing
