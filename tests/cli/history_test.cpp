// What an import did (its summary), its place in the history, and taking it back.

#include <fstream>
#include <regex>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "process.h"
#include "server/database.h"
#include "server/users.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kBradesco = std::string(EXTRATO_SOURCE_DIR) + "/samples/bradesco-200.txt";

class HistoryCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"db", "demo"}).status, 0); }

  cli_test::ProcessResult Run(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  // The sample with its closing balance one real off.
  std::string UnbalancedFile() {
    std::ifstream in(kBradesco);
    std::string path = (database_.folder() / "desbalanceado.txt").string();
    std::ofstream out(path);
    for (std::string line; std::getline(in, line);) {
      if (line.size() > 105 && line[0] == '1' && line[41] == '2')
        line[101] = static_cast<char>(line[101] == '9' ? '8' : line[101] + 1);
      out << line << "\n";
    }
    return path;
  }

  std::vector<std::string> Tables() {
    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(database_.uri()));
    std::vector<std::string> rows;
    soci::rowset<std::string> lines =
        (sql.prepare << "SELECT CDREDUCONT || '|' || CDSEQUEXTR || '|' || "
                        "COALESCE(CAST(VRSALDFIM AS VARCHAR(20)), '-') FROM EXTRBANCO UNION ALL "
                        "SELECT CDREDUCONT || '|' || NRSEQMOVREAL || '|' || NRDOCMOVREAL FROM "
                        "MOVREAL ORDER BY 1");
    for (const std::string& line : lines)
      rows.push_back(line);
    return rows;
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
};

TEST_F(HistoryCommandTest, SummaryCountsTheMovementsAndChecksTheBalances) {
  auto first = Run({"import", "--bank", "237", "--file", kBradesco, "--json"});
  ASSERT_EQ(first.status, 0) << first.err;
  json summary = json::parse(first.out)["result"];
  EXPECT_EQ(summary["account"], "001");
  EXPECT_EQ(summary["movements"],
            json::parse(R"({"new":8,"stored_already":0,"repeated":0,"ignored":0})"));
  EXPECT_EQ(summary["stored"], true);
  ASSERT_EQ(summary["statements"].size(), 1u);
  EXPECT_EQ(summary["statements"][0]["balanced"], true);
  EXPECT_EQ(summary["statements"][0]["opening"]["date"], "2024-01-02");
  EXPECT_EQ(summary["warnings"], json::array());

  // Found imported already: nothing of it was stored, and no balance is checked.
  auto plain = Run({"import", "--bank", "237", "--file", UnbalancedFile(), "--yes"});
  EXPECT_NE(plain.out.find("Movimentos: 0 novos (não gravados), 8 já gravados antes"),
            std::string::npos)
      << plain.out;
  EXPECT_EQ(plain.err.find("confere"), std::string::npos) << plain.err;
}

TEST_F(HistoryCommandTest, AStatementThatDoesNotAddUpIsAskedAboutBeforeStoring) {
  auto preview = Run({"import", "--bank", "237", "--file", kBradesco, "--dry-run"});
  EXPECT_NE(preview.out.find("Linha 3: 02/01/2024 doc 100000 \"LIQUIDACAO COBRANCA\" 2.348,29 C: "
                             "novo\n"),
            std::string::npos)
      << preview.out;
  EXPECT_NE(preview.out.find("; saldo confere\n"), std::string::npos) << preview.out;

  std::vector<std::string> before = Tables();
  const std::string question_end =
      "mas o saldo final do arquivo é 387.961,97 C. Deseja importar assim mesmo?";
  auto refused = Run({"import", "--bank", "237", "--file", UnbalancedFile(), "--no"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("O extrato de 02/01/2024 não confere: saldo inicial "),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find(question_end), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("Aviso: No extrato"), std::string::npos) << refused.err;
  EXPECT_EQ(Tables(), before);
  auto refused_preview =
      Run({"import", "--bank", "237", "--file", UnbalancedFile(), "--no", "--dry-run"});
  EXPECT_EQ(refused_preview.status, 2);
  EXPECT_EQ(refused_preview.err.find("Aviso: No extrato"), std::string::npos)
      << refused_preview.err;
  EXPECT_EQ(refused_preview.out.find("confere"), std::string::npos) << refused_preview.out;

  auto stored = Run({"import", "--bank", "237", "--file", UnbalancedFile(), "--yes"});
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_NE(stored.out.find("; saldo não confere (diferença de 1,00)\n"), std::string::npos)
      << stored.out;
  EXPECT_NE(stored.err.find("Aviso: No extrato 0000000001, saldo inicial + créditos - débitos = "
                            "387.960,97, mas o saldo final lido é 387.961,97."),
            std::string::npos)
      << stored.err;
}

TEST_F(HistoryCommandTest, UndoFromTheCommandLinePutsTheTablesBack) {
  std::vector<std::string> before = Tables();
  ASSERT_EQ(Run({"import", "--bank", "237", "--file", kBradesco}).status, 0);
  json listed = json::parse(Run({"importacoes", "--json"}).out)["result"];
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["file"], kBradesco);
  EXPECT_EQ(listed[0]["movements"], "8");

  auto undone = Run({"importacoes", "desfazer", listed[0]["number"].get<std::string>()});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(undone.err, "Importação " + listed[0]["number"].get<std::string>() +
                            " desfeita: 8 movimento(s) e 1 extrato(s) excluídos.\n");
  EXPECT_EQ(Tables(), before);
  json after = json::parse(Run({"importacoes", "listar", "--json"}).out)["result"];
  EXPECT_EQ(after[0]["user"], server::LocalCaller().name);
  EXPECT_EQ(after[0]["undone_by"], server::LocalCaller().name);
  EXPECT_EQ(after[0]["first_date"], listed[0]["first_date"]) << "the period outlives the undo";
  EXPECT_EQ(after[0]["last_date"], "2024-01-28");
  EXPECT_EQ(Run({"importacoes", "desfazer", "1"}).status, 1) << "undone already";
  ASSERT_EQ(Run({"import", "--bank", "237", "--file", kBradesco}).status, 0)
      << "imports again after the undo";
}

// The server keeps UTC; people read their own time, programs get the offset.
TEST_F(HistoryCommandTest, MomentsAreShownInTheLocalTimeZone) {
  ASSERT_EQ(Run({"import", "--bank", "237", "--file", kBradesco}).status, 0);
  auto in_brasilia = [this](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), EXTRATO_CLI);
    arguments.insert(arguments.end(), {"--db", database_.uri()});
    return cli_test::RunProcess({arguments, {{"EXTRATO_DB", std::nullopt}, {"TZ", "<-03>3"}}, ""});
  };
  std::string when = json::parse(in_brasilia({"importacoes", "--json"}).out)["result"][0]["when"];
  EXPECT_TRUE(std::regex_match(when, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d-03:00)")))
      << when;
  std::string text = in_brasilia({"importacoes"}).out;
  std::string shown = when.substr(8, 2) + "/" + when.substr(5, 2) + "/" + when.substr(0, 4) + " " +
                      when.substr(11, 5);
  EXPECT_NE(text.find(shown), std::string::npos) << text;
  EXPECT_EQ(text.find("UTC"), std::string::npos) << text;
}

// The whole database as SQL text.
std::string Dump(const server::testing::TestDatabase& database) {
  std::string path = server::ParseDatabaseUri(database.uri()).path;
  return cli_test::RunProcess({{"/usr/bin/sqlite3", path, ".dump"}, {}, ""}).out;
}

TEST_F(HistoryCommandTest, DryRunOfEveryLayoutTellsEachLineAndLeavesTheDatabaseAsItWas) {
  struct Sample {
    const char* bank;
    const char* file;
  };
  const Sample samples[] = {{"237", "bradesco-200.txt"}, {"001", "febraban-240.txt"},
                            {"641", "itau-200.txt"},     {"341", "itau-240.txt"},
                            {"356", "real-240.txt"},     {"033", "santander-240.txt"}};
  ASSERT_EQ(Run({"import", "--bank", "237", "--file", kBradesco}).status, 0)
      << "one layout with its movements stored already";
  std::string before = Dump(database_);
  ASSERT_NE(before.find("INSERT INTO MOVREAL"), std::string::npos);
  for (const Sample& sample : samples) {
    std::string file = std::string(EXTRATO_SOURCE_DIR) + "/samples/" + sample.file;
    auto preview = Run({"import", "--bank", sample.bank, "--file", file, "--dry-run", "--json"});
    // The Bradesco file is stored already: the preview says so, as the import would.
    EXPECT_EQ(preview.status, std::string(sample.bank) == "237" ? 2 : 0)
        << sample.file << ": " << preview.err;
    json report = json::parse(preview.out);
    EXPECT_EQ(report["messages"].back()["text"], "Simulação: nada foi gravado no banco de dados.");
    json summary = report["result"];
    EXPECT_EQ(summary["stored"], false);
    EXPECT_EQ(summary["warnings"], json::array()) << "each example file balances";
    const json& lines = summary["lines"];
    ASSERT_FALSE(lines.empty()) << sample.file;
    int movements =
        summary["movements"]["new"].get<int>() + summary["movements"]["stored_already"].get<int>() +
        summary["movements"]["repeated"].get<int>() + summary["movements"]["ignored"].get<int>();
    EXPECT_EQ(static_cast<int>(lines.size()), movements) << sample.file;
    EXPECT_EQ(Dump(database_), before) << sample.file;
  }
  json bradesco = json::parse(
      Run({"import", "--bank", "237", "--file", kBradesco, "--dry-run", "--json"}).out)["result"];
  EXPECT_EQ(bradesco["lines"][0],
            json::parse(R"({"amount":2348.29,"date":"2024-01-02","document":"100000",
                            "history":"LIQUIDACAO COBRANCA","indicator":"C","line":3,
                            "verdict":"stored_already"})"));
}

}  // namespace
