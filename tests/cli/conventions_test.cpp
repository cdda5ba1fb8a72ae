// The command line's manners: where output goes, --json on every outcome, help
// and errors in Portuguese, refusals instead of silent adjustments, Ctrl-C.

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "process.h"
#include "server/database.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kBradesco = std::string(EXTRATO_SOURCE_DIR) + "/samples/bradesco-200.txt";

cli_test::ProcessResult Extrato(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), EXTRATO_CLI);
  return cli_test::RunProcess({arguments, {{"EXTRATO_DB", std::nullopt}}, ""});
}

class ConventionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uri_ = database_.uri();
    ASSERT_EQ(Extrato({"db", "init", "--db", uri_}).status, 0);
  }

  int Count(const std::string& table) {
    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(uri_));
    int count = 0;
    sql << "SELECT COUNT(*) FROM " + table, soci::into(count);
    return count;
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
  std::string uri_;
};

const std::string kCommands =
    "Comandos: import, bancos, contas, layouts, importacoes, extratos, movimentos, serve, db, "
    "usuarios.";

TEST_F(ConventionsTest, UsageErrorsAreInPortugueseAndAnObjectWithJson) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> usages = {
      {{"import", "--bank", "2370", "--file", kBradesco},
       "--bank: o código do banco tem no máximo 3 caracteres"},
      {{"import", "--bank", "237", "--file", kBradesco, "--account-type", "Poupança"},
       "--account-type: esperado um de: Circulante, Aplicação, Garantida"},
      {{"import", "--bank", "237", "--file", kBradesco, "--sem-isso"},
       "Opção desconhecida: --sem-isso."},
      {{"import", "--bnak", "237", "--file", kBradesco},
       "Opção desconhecida: --bnak. Você quis "
       "dizer --bank?"},
      {{"import", "--bank", "237"}, "--file: obrigatório (um valor vazio é aceito)"},
      {{}, "Falta o comando. " + kCommands},
      {{"importar"}, "Comando desconhecido: importar. Você quis dizer import?\n" + kCommands},
      {{"bancos", "lsitar"},
       "Comando desconhecido: lsitar. Você quis dizer listar?\nComandos: "
       "listar, incluir, alterar, excluir."},
  };
  for (const auto& [arguments, text] : usages) {
    auto plain = Extrato(arguments);
    EXPECT_EQ(plain.status, 64) << text;
    EXPECT_EQ(plain.out, "") << text;
    EXPECT_EQ(plain.err, text + "\nExecute com --help para ver o uso.\n");

    std::vector<std::string> with_json = arguments;
    with_json.push_back("--json");
    auto structured = Extrato(with_json);
    EXPECT_EQ(structured.status, 64) << text;
    EXPECT_EQ(json::parse(structured.out),
              json::parse(fmt::format(R"({{"outcome":"usage","messages":[{{"key":null,
                  "kind":"error","text":{}}}]}})",
                                      json(text).dump())));
  }
}

TEST_F(ConventionsTest, HelpAndVersionArePortugueseWithoutInternalNames) {
  auto version = Extrato({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("extrato 0.", 0), 0u) << version.out;
  auto structured = Extrato({"--version", "--json"});
  EXPECT_EQ(structured.status, 0);
  EXPECT_EQ(json::parse(structured.out)["result"]["version"],
            version.out.substr(std::string("extrato ").size(),
                               version.out.size() - std::string("extrato \n").size()));

  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"import", "--help"}, {"serve", "--help"}}) {
    auto help = Extrato(arguments);
    EXPECT_EQ(help.status, 0);
    for (const char* english : {"Usage", "Options", "OPTIONS", "Subcommands", "Run with",
                                "Print this", "TEXT", "QAR62700", "rdmImpExtBanc"}) {
      EXPECT_EQ(help.out.find(english), std::string::npos) << english << " in\n" << help.out;
    }
    EXPECT_NE(help.out.find("Uso:"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("130  interrompida"), std::string::npos) << help.out;
  }
  EXPECT_NE(Extrato({"import", "--help"}).out.find("Circulante, Aplicação ou Garantida"),
            std::string::npos);
}

TEST_F(ConventionsTest, MessagesGoToStderrAndResultsToStdout) {
  auto unknown = Extrato({"import", "--bank", "237", "--file", kBradesco, "--db", uri_});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("Erro: Banco não cadastrado.\n"), std::string::npos) << unknown.err;

  auto listed = Extrato({"bancos", "--db", uri_});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out.find("Nenhum banco cadastrado."), 0u) << listed.out;
  EXPECT_EQ(listed.err, "");
}

TEST_F(ConventionsTest, DemoDataGoesOnlyIntoADatabaseWithoutBanksUnlessAdded) {
  ASSERT_EQ(Extrato({"bancos", "incluir", "--db", uri_, "--code", "999", "--name", "MEU BANCO",
                     "--mask", "9999-9"})
                .status,
            0);
  auto refused = Extrato({"db", "demo", "--db", uri_});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            fmt::format("Erro: O banco de dados {} já tem 1 banco(s) cadastrado(s); para "
                        "acrescentar os de demonstração, use extrato db demo --add.\n",
                        uri_));
  EXPECT_EQ(Count("BANCO"), 1);
  EXPECT_EQ(Extrato({"db", "demo", "--db", uri_, "--add"}).status, 0);
  EXPECT_GT(Count("BANCO"), 1) << "the demonstration banks added to the user's own";
}

// A file as large as needed for the run to be still reading when the signal comes.
std::filesystem::path LargeBradescoFile(const std::filesystem::path& folder, int movements) {
  std::ifstream sample(kBradesco);
  std::vector<std::string> lines;
  for (std::string line; std::getline(sample, line);)
    lines.push_back(line);
  std::filesystem::path path = folder / "grande.txt";
  std::ofstream out(path);
  out << lines[0] << "\n" << lines[1] << "\n";
  std::string movement = lines[2];
  for (int i = 0; i < movements; ++i) {
    movement.replace(74, 6, fmt::format("{:06}", i));  // the document number
    out << movement << "\n";
  }
  out << lines[10] << "\n" << lines[11] << "\n";
  return path;
}

TEST_F(ConventionsTest, CtrlCEndsTheImportWithStatus130AndNoMovementStored) {
  ASSERT_EQ(Extrato({"db", "demo", "--db", uri_}).status, 0);
  std::filesystem::path file = LargeBradescoFile(database_.folder(), 200000);
  cli_test::BackgroundProcess import(
      {{EXTRATO_CLI, "import", "--bank", "237", "--file", file.string(), "--db", uri_}, {}, ""});
  // Reading 200,000 movements takes seconds: the run is then reading them.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  import.Signal(SIGINT);
  cli_test::ProcessResult result = import.Wait();
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_NE(result.err.find("Erro: Importação interrompida.\n"), std::string::npos) << result.err;
  EXPECT_EQ(Count("MOVREAL"), 0);
  EXPECT_EQ(Count("EXTRBANCO"), 0);
  EXPECT_EQ(Count("LOGIMPEXTR"), 0);
}

}  // namespace
