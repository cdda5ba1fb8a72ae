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

// The run's report without the preview's closing line.
json EndOf(const cli_test::ProcessResult& result) {
  json report = json::parse(result.out);
  json messages = json::array();
  for (const json& message : report["messages"]) {
    if (message["text"] != kNothingStored)
      messages.push_back(message);
  }
  return {{"outcome", report["outcome"]}, {"messages", messages}};
}

// A preview's submission goes through the server's own checks and is rolled back: it
// ends as the import ends, also where only the server objects, and stores nothing.
TEST_F(FaultyStatementTest, PreviewEndsAsTheImportDoes) {
  const FaultyStatement cases[] = {
      {"HugeMovementAmount", "bradesco-200.txt", "237", 3, 87, "999999999999999999", ""},
      {"UndefinedByteInAHistory", "bradesco-200.txt", "237", 3, 50, "\x81", ""},
      {"BatchHeaderOfDigits", "febraban-240.txt", "001", 2, 9, std::string(200, '7'), ""},
  };
  for (const FaultyStatement& fault : cases) {
    SCOPED_TRACE(fault.name);
    std::string file = apps::testing::WriteFaultyFile(fault, kSamples, database_.folder());
    std::vector<std::string> import = {"import", "--bank", fault.bank, "--file",
                                       file,     "--yes",  "--json"};
    std::vector<std::string> preview = import;
    preview.push_back("--dry-run");
    int before = Stored();
    cli_test::ProcessResult previewed = Run(preview);
    EXPECT_EQ(before, Stored());
    cli_test::ProcessResult imported = Run(import);
    EXPECT_EQ(imported.status, previewed.status) << previewed.err << imported.err;
    EXPECT_EQ(EndOf(imported), EndOf(previewed));
  }
}

}  // namespace
