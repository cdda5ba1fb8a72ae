// Banks, accounts and layouts kept from the command line, then used by an import.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "process.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kBradesco = std::string(EXTRATO_SOURCE_DIR) + "/samples/bradesco-200.txt";

class RegistryCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"db", "init"}).status, 0); }

  cli_test::ProcessResult Run(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
};

TEST_F(RegistryCommandTest, BankAndAccountRegisteredAsTheBankShowsThemImportAStatement) {
  auto bank = Run({"bancos", "incluir", "--code", "237", "--name", "BANCO BRADESCO S.A.", "--mask",
                   "9999999-9"});
  EXPECT_EQ(bank.status, 0) << bank.err;
  EXPECT_EQ(bank.err, "Banco 237 incluído.\n");
  auto account = Run({"contas", "incluir", "--code", "001", "--bank", "237", "--agency", "3509",
                      "--number", "0012566-8", "--type", "Circulante", "--name", "MINHA C/C"});
  EXPECT_EQ(account.status, 0) << account.err;

  auto listed = Run({"contas", "--json"});
  EXPECT_EQ(json::parse(listed.out)["result"],
            json::parse(R"([{"code":"001","bank":"237","agency":"3509","number":"0012566-8",
                             "type":"Circulante","name":"MINHA C/C"}])"));
  EXPECT_EQ(Run({"contas", "listar"}).out,
            "Código  Banco  Agência  Número     Tipo        Nome\n"
            "001     237    3509     0012566-8  Circulante  MINHA C/C\n");

  auto imported = Run({"import", "--bank", "237", "--file", kBradesco});
  EXPECT_EQ(imported.status, 0) << imported.err;

  auto refused = Run({"contas", "excluir", "--code", "001"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "Erro: A conta corrente 001 não pode ser excluída: tem 1 extrato(s) importado(s).\n");
  auto bank_refused = Run({"bancos", "excluir", "--code", "237", "--json"});
  EXPECT_EQ(bank_refused.status, 1);
  EXPECT_EQ(json::parse(bank_refused.out)["outcome"], "error");
}

TEST_F(RegistryCommandTest, ChangesKeepWhatIsNotGivenAndMaskMistakesAreClear) {
  ASSERT_EQ(
      Run({"bancos", "incluir", "--code", "341", "--name", "ITAU", "--mask", "99999-9"}).status, 0);
  ASSERT_EQ(Run({"bancos", "alterar", "--code", "341", "--name", "ITAÚ UNIBANCO S.A."}).status, 0);
  EXPECT_EQ(json::parse(Run({"bancos", "--json"}).out)["result"],
            json::parse(R"([{"code":"341","name":"ITAÚ UNIBANCO S.A.","cnab":"341",
                             "mask":"99999-9"}])"));

  auto too_long = Run({"contas", "incluir", "--code", "004", "--bank", "341", "--agency", "3886",
                       "--number", "0007693-1", "--type", "Circulante"});
  EXPECT_EQ(too_long.status, 1);
  EXPECT_EQ(too_long.err,
            "Erro: O número da conta \"0007693-1\" tem 8 dígitos; a máscara do banco 341 "
            "(99999-9) tem 6.\n");

  ASSERT_EQ(Run({"contas", "incluir", "--code", "004", "--bank", "341", "--agency", "3886",
                 "--number", "769-3", "--type", "Aplicação", "--name", "ITAU APL"})
                .status,
            0);
  ASSERT_EQ(Run({"contas", "alterar", "--code", "004", "--type", "Garantida"}).status, 0);
  json account = json::parse(Run({"contas", "--json"}).out)["result"][0];
  EXPECT_EQ(account["number"], "00769-3");
  EXPECT_EQ(account["type"], "Garantida");
  EXPECT_EQ(account["name"], "ITAU APL");

  ASSERT_EQ(Run({"layouts", "definir", "--bank", "341", "--layout", "240"}).status, 0);
  EXPECT_EQ(Run({"layouts"}).out, "Banco  Layout\n341    240\n");
  ASSERT_EQ(Run({"layouts", "remover", "--bank", "341"}).status, 0);
  EXPECT_EQ(json::parse(Run({"layouts", "--json"}).out)["result"], json::array());
}

}  // namespace
