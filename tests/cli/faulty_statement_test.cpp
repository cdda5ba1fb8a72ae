// Hostile bytes and values out of the database's range in a statement file, through
// `extrato import` and its preview: the same error, at the same line, written so that
// it neither acts on the terminal nor breaks the JSON.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "process.h"
#include "server/database.h"
#include "testing/faulty_statements_test_support.h"
#include "testing/test_database.h"

namespace {

using apps::testing::FaultyStatement;
using nlohmann::json;

const std::string kSamples = std::string(EXTRATO_SOURCE_DIR) + "/samples";
const std::string kNothingStored = "Simulação: nada foi gravado no banco de dados.";

class FaultyStatementTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"db", "demo"}).status, 0); }

  cli_test::ProcessResult Run(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  int Stored() {
    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(database_.uri()));
    int count = 0;
    sql << "SELECT (SELECT COUNT(*) FROM EXTRBANCO) + (SELECT COUNT(*) FROM MOVREAL)",
        soci::into(count);
    return count;
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
};

// Every byte the program wrote is printable UTF-8 but the line ends: nothing of the
// file reaches the terminal raw.
void ExpectNoControlBytes(const std::string& bytes, const std::string& what) {
  for (unsigned char c : bytes)
    ASSERT_TRUE(c >= 0x20 || c == '\n') << what << ": byte " << int{c};
}

TEST_F(FaultyStatementTest, ImportAndPreviewEndWithTheLinesErrorShownVisibly) {
  for (const FaultyStatement& fault : apps::testing::FaultyStatements()) {
    SCOPED_TRACE(fault.name);
    std::string file = apps::testing::WriteFaultyFile(fault, kSamples, database_.folder());
    json error = {{"key", nullptr}, {"kind", "error"}, {"text", fault.error}};
    json nothing_stored = {{"key", nullptr}, {"kind", "information"}, {"text", kNothingStored}};
    struct Mode {
      std::vector<std::string> flags;
      std::string err;
      json messages;
    };
    const Mode modes[] = {
        {{}, "Erro: " + fault.error + "\n", {error}},
        {{"--dry-run"},
         "Erro: " + fault.error + "\n" + kNothingStored + "\n",
         {error, nothing_stored}},
    };
    for (const Mode& mode : modes) {
      std::vector<std::string> arguments = {"import", "--bank", fault.bank,
                                            "--file", file,     "--json"};
      arguments.insert(arguments.end(), mode.flags.begin(), mode.flags.end());
      cli_test::ProcessResult result = Run(arguments);
      EXPECT_EQ(1, result.status) << result.err;
      EXPECT_EQ(mode.err, result.err);
      EXPECT_EQ(json({{"outcome", "error"}, {"messages", mode.messages}}).dump() + "\n",
                result.out);
      ExpectNoControlBytes(result.err, "stderr");
      ExpectNoControlBytes(result.out, "stdout");
    }
    // Without --json the same text, and nothing on stdout.
    cli_test::ProcessResult plain = Run({"import", "--bank", fault.bank, "--file", file});
    EXPECT_EQ("Erro: " + fault.error + "\n", plain.err);
    EXPECT_EQ("", plain.out);
    EXPECT_EQ(0, Stored()) << "refused before any header was saved";
  }
}

// What the run stores and lists of a file: the name of the file and the indicator of
// a balance, whatever they hold, reach the terminal written out.
TEST_F(FaultyStatementTest, SummaryAndHistoryShowWhatTheFileHeldVisibly) {
  FaultyStatement escape = {"extrato\x1b[31m", "bradesco-200.txt", "237", 2, 105, "\x1b", ""};
  std::string file = apps::testing::WriteFaultyFile(escape, kSamples, database_.folder());

  cli_test::ProcessResult imported = Run({"import", "--bank", "237", "--file", file});
  EXPECT_EQ(0, imported.status) << imported.err;
  EXPECT_NE(std::string::npos, imported.out.find("saldo inicial 364.911,92 \\x1b em 02/01/2024;"))
      << imported.out;
  ExpectNoControlBytes(imported.out, "summary");

  cli_test::ProcessResult history = Run({"importacoes"});
  EXPECT_EQ(0, history.status) << history.err;
  EXPECT_NE(std::string::npos, history.out.find("/extrato\\x1b[31m.txt")) << history.out;
  ExpectNoControlBytes(history.out, "history");
}

}  // namespace
