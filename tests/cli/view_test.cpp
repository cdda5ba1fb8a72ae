// What an import stored, read back: the statement and its movements as tables,
// JSON, CSV and OFX.

#include <regex>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "apps/common/ofx_test_reader.h"
#include "process.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kBradesco = std::string(EXTRATO_SOURCE_DIR) + "/samples/bradesco-200.txt";

class ViewCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"db", "demo"}).status, 0);
    auto imported = Run({"import", "--bank", "237", "--file", kBradesco, "--yes"});
    ASSERT_EQ(imported.status, 0) << imported.err;
  }

  cli_test::ProcessResult Run(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  json Json(std::vector<std::string> arguments) {
    arguments.push_back("--json");
    auto run = Run(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return json::parse(run.out).at("result");
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST_F(ViewCommandTest, TheBradescoExampleWithTheBalancesItsFileStates) {
  json statements = Json({"extratos", "--conta", "001"});
  ASSERT_EQ(statements.size(), 1u);
  const json& statement = statements[0];
  EXPECT_EQ(statement["movements"], "8");
  double opening = statement["opening_balance"];
  double closing = statement["closing_balance"];

  json movements = Json({"movimentos", "--conta", "001"});
  ASSERT_EQ(movements.size(), 8u);
  double balance = opening;
  for (const json& m : movements) {
    balance += m["side"] == "D" ? -m["amount"].get<double>() : m["amount"].get<double>();
    EXPECT_NEAR(m["balance"].get<double>(), balance, 0.001) << m.dump();
  }
  EXPECT_NEAR(balance, closing, 0.001) << "the movements lead to the closing balance";
  EXPECT_NEAR(closing - opening,
              statement["credits"].get<double>() - statement["debits"].get<double>(), 0.001);

  auto table = Run({"movimentos", "--conta", "001"});
  EXPECT_EQ(table.status, 0) << table.err;
  std::vector<std::string> lines = Lines(table.out);
  ASSERT_EQ(lines.size(), 10u) << table.out;
  EXPECT_TRUE(lines[0].starts_with("Extrato     Mov.        Data        Documento")) << lines[0];
  EXPECT_TRUE(std::regex_search(
      lines[1],
      std::regex(
          R"(^0000000001  0000000001  02/01/2024  .*LIQUIDACAO COBRANCA .* 2\.348,29  C    0   .*,\d\d$)")))
      << lines[1];
  EXPECT_TRUE(lines[8].ends_with("387.960,97")) << lines[8];
  EXPECT_TRUE(lines[9].starts_with("8 movimento(s); créditos ")) << lines[9];

  auto listed = Run({"extratos", "--conta", "001", "--de", "01/01/2024", "--ate", "31/01/2024"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("02/01/2024  28/01/2024"), std::string::npos) << listed.out;
  EXPECT_EQ(Run({"extratos", "--conta", "001", "--de", "01/02/2024"}).out,
            "Nenhum extrato da conta no período.\n");
}

TEST_F(ViewCommandTest, OfxAndCsvCarryEveryMovement) {
  json movements = Json({"movimentos", "--conta", "001"});
  auto ofx = Run({"movimentos", "--conta", "001", "--formato", "ofx"});
  ASSERT_EQ(ofx.status, 0) << ofx.err;
  apps::testing::OfxRead read = apps::testing::ReadOfx(ofx.out);
  EXPECT_EQ(read.bank, "237");
  EXPECT_EQ(read.account, "00125668");
  ASSERT_EQ(read.transactions.size(), movements.size());
  for (std::size_t i = 0; i < movements.size(); ++i) {
    const json& m = movements[i];
    double amount = m["side"] == "D" ? -m["amount"].get<double>() : m["amount"].get<double>();
    EXPECT_EQ(read.transactions[i].fitid,
              m["statement"].get<std::string>() + "-" + m["number"].get<std::string>());
    EXPECT_EQ(read.transactions[i].amount, fmt::format("{:.2f}", amount));
    EXPECT_EQ(read.transactions[i].date, m["date"]);
    EXPECT_EQ(read.transactions[i].memo, m["history"]);
  }
  EXPECT_EQ(read.ledger_balance, fmt::format("{:.2f}", movements.back()["balance"].get<double>()));
  EXPECT_EQ(read.ledger_date, "2024-01-28");

  auto csv = Run({"movimentos", "--conta", "001", "--formato", "csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  std::vector<std::string> lines = Lines(csv.out);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0],
            "\xEF\xBB\xBF"
            "Conta;Extrato;Movimento;Data;Documento;Histórico;Valor;D/C;Situação;"
            "Saldo\r");
  EXPECT_TRUE(std::regex_match(
      lines[1],
      std::regex(
          R"(001;0000000001;0000000001;02/01/2024;[^;]*;LIQUIDACAO COBRANCA;2348,29;C;0;\d+,\d\d\r)")))
      << lines[1];
}

TEST_F(ViewCommandTest, RefusalsSayWhy) {
  auto unknown = Run({"movimentos", "--conta", "999"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "Erro: A conta corrente 999 não está cadastrada (veja extrato contas).\n");
  auto unknown_json = Run({"movimentos", "--conta", "999", "--json"});
  EXPECT_EQ(unknown_json.status, 1);
  EXPECT_EQ(json::parse(unknown_json.out)["outcome"], "error") << unknown_json.out;
  EXPECT_EQ(Run({"movimentos", "--conta", "001", "--formato", "ofx", "--json"}).status, 64);
  EXPECT_EQ(Run({"movimentos", "--conta", "001", "--formato", "xls"}).status, 64);
  EXPECT_EQ(Run({"extratos", "--conta", "001", "--de", "31/02/2024"}).status, 64);
}

}  // namespace
