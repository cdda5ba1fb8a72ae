// A server for a team: users with roles, and workstations that know only the
// server's address.

#include <filesystem>
#include <map>
#include <memory>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "process.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kBradesco = std::string(EXTRATO_SOURCE_DIR) + "/samples/bradesco-200.txt";

class TeamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Admin({"db", "demo"}).status, 0);
    for (const char* role : {"ler", "importar", "administrar"}) {
      auto added = Admin({"usuarios", "incluir", std::string("u-") + role, "--papel", role});
      ASSERT_EQ(added.status, 0) << added.err;
      std::string out = added.out;
      out.pop_back();
      tokens_[role] = out.substr(out.rfind('\n') + 1);
    }
    serve_ = std::make_unique<cli_test::BackgroundProcess>(
        cli_test::ProcessOptions{{EXTRATO_CLI, "serve", "--db", database_.uri(), "--port", "0"},
                                 {{"EXTRATO_TOKEN", std::nullopt}},
                                 ""});
    std::string line = serve_->WaitForLine("http://127.0.0.1:");
    ASSERT_FALSE(line.empty()) << "the server did not start";
    address_ = line.substr(line.find("http://"));
    address_ = address_.substr(0, address_.find('/', 7));
  }

  // On the database directly, as whoever administers it.
  cli_test::ProcessResult Admin(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  // On a workstation that knows the server's address and its user's token, and no
  // database: none given, none in the environment, none in its data folder.
  cli_test::ProcessResult As(const std::string& role, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), EXTRATO_CLI);
    arguments.insert(arguments.end(), {"--server", address_, "--json"});
    return cli_test::RunProcess({arguments,
                                 {{"EXTRATO_DB", std::nullopt},
                                  {"XDG_DATA_HOME", workstation_.string()},
                                  {"EXTRATO_TOKEN", tokens_[role]}},
                                 ""});
  }

  static std::string FirstMessage(const cli_test::ProcessResult& result) {
    json report = json::parse(result.out, nullptr, false);
    if (report.is_discarded() || report["messages"].empty())
      return "stdout: " + result.out + " stderr: " + result.err;
    return report["messages"][0]["text"];
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
  std::filesystem::path workstation_ = database_.folder() / "estacao";
  std::map<std::string, std::string> tokens_;
  std::unique_ptr<cli_test::BackgroundProcess> serve_;
  std::string address_;
};

TEST_F(TeamTest, EachRoleDoesWhatItMayAndTheHistoryNamesWhoImportedAndWhoUndid) {
  auto refused = As("ler", {"import", "--bank", "237", "--file", kBradesco, "--yes"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(FirstMessage(refused).find("exige o papel importar, e o usuário u-ler tem o papel ler"),
            std::string::npos)
      << FirstMessage(refused);
  auto bank = As("ler", {"bancos", "incluir", "--code", "999", "--name", "X", "--mask", "9999-9"});
  EXPECT_EQ(bank.status, 1);
  EXPECT_NE(FirstMessage(bank).find("exige o papel administrar"), std::string::npos)
      << FirstMessage(bank);

  auto imported = As("importar", {"import", "--bank", "237", "--file", kBradesco, "--yes"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  json banks = json::parse(As("ler", {"bancos"}).out)["result"];
  EXPECT_GE(banks.size(), 5u);
  json history = json::parse(As("ler", {"importacoes"}).out)["result"];
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0]["user"], "u-importar");
  std::string number = history[0]["number"];

  for (const char* role : {"ler", "importar"}) {
    auto undo = As(role, {"importacoes", "desfazer", number});
    EXPECT_EQ(undo.status, 1) << role;
    EXPECT_NE(FirstMessage(undo).find("DesfazImportacao exige o papel administrar"),
              std::string::npos)
        << FirstMessage(undo);
  }
  auto undone = As("administrar", {"importacoes", "desfazer", number});
  EXPECT_EQ(undone.status, 0) << undone.err;
  history = json::parse(As("ler", {"importacoes"}).out)["result"];
  EXPECT_EQ(history[0]["user"], "u-importar");
  EXPECT_EQ(history[0]["undone_by"], "u-administrar");
  EXPECT_FALSE(std::filesystem::exists(workstation_ / "extrato")) << "no database of its own";

  auto stranger = As("ninguem", {"bancos"});
  EXPECT_EQ(stranger.status, 1);
  EXPECT_NE(FirstMessage(stranger).find("token ausente ou inválido"), std::string::npos)
      << FirstMessage(stranger);
}

TEST_F(TeamTest, DbBesideServerIsNotUsedAndSaysSo) {
  auto listed = As("ler", {"bancos", "--db", "sqlite:/nao/existe.db"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.err.find("Aviso: --db não é usado com --server"), std::string::npos)
      << listed.err;
}

TEST_F(TeamTest, TokensAreMadeAndListedOnTheDatabase) {
  auto listed = Admin({"usuarios", "listar", "--json"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  json rows = json::parse(listed.out)["result"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["name"], "u-administrar");
  EXPECT_EQ(rows[0]["role"], "administrar");
  EXPECT_EQ(listed.out.find(tokens_["ler"]), std::string::npos);

  auto renewed = Admin({"usuarios", "novo-token", "u-ler"});
  ASSERT_EQ(renewed.status, 0) << renewed.err;
  EXPECT_EQ(As("ler", {"bancos"}).status, 1) << "the old token stops working";
  EXPECT_EQ(Admin({"usuarios", "remover", "u-ler"}).status, 0);
  EXPECT_EQ(Admin({"usuarios", "remover", "u-ler"}).status, 1);
  EXPECT_EQ(Admin({"usuarios", "incluir", "x", "--papel", "chefe"}).status, 64);
}

}  // namespace
