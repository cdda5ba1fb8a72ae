// Public statement files that no one here wrote, imported end to end on the demo
// accounts. They are read where they lie, from the folder that EXTRATO_REAL_SAMPLES
// names; without it the tests skip.
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "testing/import_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

class ImportSamplesTest : public ImportTest {
 protected:
  void SetUp() override {
    const char* folder = std::getenv("EXTRATO_REAL_SAMPLES");
    if (folder == nullptr || *folder == '\0')
      GTEST_SKIP() << "EXTRATO_REAL_SAMPLES is not set: the real statement files are not here";
    samples_ = folder;
    ASSERT_TRUE(std::filesystem::is_directory(samples_))
        << "EXTRATO_REAL_SAMPLES names no folder: " << samples_;
    ImportTest::SetUp();
  }

  std::string Sample(const std::string& name) { return (samples_ / name).string(); }

  std::filesystem::path samples_;
};

TEST_F(ImportSamplesTest, BradescoStatementImportsWhole) {
  EXPECT_EQ(host::EventOutcome::kCompleted,
            Import("237", Sample("extrato200-237/anteros-bradesco.txt")));

  EXPECT_EQ(Names{kSucesso}, Texts());
  EXPECT_EQ(Names{"001|0000000001|2016-07-07|2016-07-09|33406.50|22987.46|D|C"},
            Rows("SELECT * FROM EXTRBANCO"));
  Names movements = Rows(
      "SELECT NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, VRMOVREAL, IDMOVREAL, DSHISTMOVREAL "
      "FROM MOVREAL ORDER BY NRSEQMOVREAL");
  ASSERT_EQ(12u, movements.size());
  EXPECT_EQ("0000000001|00000000000000685716|2016-07-07|6997.30|C|RESGATE MERCADO ABERTO   ",
            movements.front());
  EXPECT_EQ("0000000012", movements.back().substr(0, 10));
  // Initial balance 33406.50 D, plus credits, minus debits: the final balance.
  EXPECT_EQ(Names{"22987.46"},
            Rows("SELECT ROUND(-33406.50 + SUM(CASE IDMOVREAL WHEN 'C' THEN VRMOVREAL "
                 "ELSE -VRMOVREAL END), 2) FROM MOVREAL"));
}

TEST_F(ImportSamplesTest, FebrabanStatementsImportOrEndWithTheirMessage) {
  struct Case {
    std::string file;
    std::string bank;
    std::string message;
    int movements;
    std::string account;
  } cases[] = {
      {"marcodpt-bb.txt", "001", kSucesso, 9, "014"},
      {"marcodpt-caixa.txt", "104", kSucesso, 9, "017"},
      {"marcodpt-daycoval.txt", "707", kSucesso, 9, "024"},
      {"anteros-hsbc.txt", "399", kSucesso, 2, "021"},
      // An empty line follows every record.
      {"anteros-caixa.txt", "104", kSucesso, 8, "018"},
  };
  for (const Case& c : cases) {
    Import(c.bank, Sample("cnab240-extrato/" + c.file));
    EXPECT_EQ(Names{c.message}, Texts()) << c.file;
    EXPECT_EQ(Names{std::to_string(c.movements)},
              Rows("SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = '" + c.account + "'"))
        << c.file;
  }
  EXPECT_EQ((Names{"014|2022-11-23|932410.81|C|2022-11-24|211365.49|C",
                   "017|2022-11-23|932410.81|C|2022-11-24|211365.49|C",
                   "018|2016-07-04|11509.16|C|2016-07-04|7093.93|C",
                   "021|2016-06-10|26644.15|C|2016-06-10|21101.93|C",
                   "024|2022-11-23|932410.81|C|2022-11-24|211365.49|C"}),
            Rows("SELECT CDREDUCONT, DTSALDINIC, VRSALDINIC, IDEXTRINI, DTSALDFIN, VRSALDFIM, "
                 "IDEXTRFIM FROM EXTRBANCO ORDER BY CDREDUCONT"));
}

// The demonstration company reads Itaú (bank 341) in 240 columns.
TEST_F(ImportSamplesTest, ItauAndSantanderStatementsImportWhole) {
  struct Case {
    std::string file;
    std::string bank;
    int movements;
    std::string account;
  } cases[] = {
      {"anteros-itau.txt", "341", 15, "004"},
      {"marcodpt-itau.txt", "341", 9, "005"},
      {"marcodpt-santander.txt", "033", 9, "008"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host::EventOutcome::kCompleted, Import(c.bank, Sample("cnab240-extrato/" + c.file)))
        << c.file;
    EXPECT_EQ(Names{kSucesso}, Texts()) << c.file;
    EXPECT_EQ(Names{std::to_string(c.movements)},
              Rows("SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = '" + c.account + "'"))
        << c.file;
  }
  EXPECT_EQ((Names{"004|2016-07-04|179086.69|C|2016-07-05|33167.02|D",
                   "005|2022-11-23|932410.81|C|2022-11-24|211365.49|C",
                   "008|2022-11-23|932410.81|C|2022-11-24|211365.49|C"}),
            Rows("SELECT CDREDUCONT, DTSALDINIC, VRSALDINIC, IDEXTRINI, DTSALDFIN, VRSALDFIM, "
                 "IDEXTRFIM FROM EXTRBANCO ORDER BY CDREDUCONT"));
  // Initial balance 179086.69 C, plus credits, minus debits: the final 33167.02 D.
  EXPECT_EQ(Names{"-33167.02"},
            Rows("SELECT ROUND(179086.69 + SUM(CASE IDMOVREAL WHEN 'C' THEN VRMOVREAL "
                 "ELSE -VRMOVREAL END), 2) FROM MOVREAL WHERE CDREDUCONT = '004'"));
}

TEST_F(ImportSamplesTest, Cnab240FileGivenToTheBradescoLayoutHasNoData) {
  EXPECT_EQ(host::EventOutcome::kAborted,
            Import("237", Sample("cnab240-extrato/marcodpt-bradesco.txt")));
  EXPECT_EQ(Names{kSemDados}, Texts());
}

// The example files of this repository, one per layout, on the demonstration data.
TEST_F(ImportTest, ExampleFilesImport) {
  const std::filesystem::path examples = std::filesystem::path(EXTRATO_SOURCE_DIR) / "samples";
  for (const auto& [bank, file] :
       {std::pair{"237", "bradesco-200.txt"}, std::pair{"001", "febraban-240.txt"},
        std::pair{"641", "itau-200.txt"}, std::pair{"341", "itau-240.txt"},
        std::pair{"356", "real-240.txt"}, std::pair{"033", "santander-240.txt"}}) {
    EXPECT_EQ(host::EventOutcome::kCompleted, Import(bank, (examples / file).string())) << file;
  }
  EXPECT_EQ((Names{"001|8", "004|8", "008|8", "011|8", "014|8", "027|8"}),
            Rows("SELECT CDREDUCONT, COUNT(*) FROM MOVREAL GROUP BY CDREDUCONT"));
}

}  // namespace
}  // namespace importers::testing
