#include "apps/common/message_detail.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "layouts/layouts.h"

namespace apps {
namespace {

using host::Variant;

class MessageDetailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("extrato_detail_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    context_.run = &run_;
    context_.call = [this](const std::string& method, const Variant&) -> Variant {
      EXPECT_TRUE(method == "GetBancos" || method == "GetContas") << method;
      return {{"fields", Variant::array()}, {"rows", method == "GetBancos" ? banks_ : accounts_}};
    };
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void LookedUp(importers::RunObserver::AccountLookup lookup) { run_.OnAccountLookup(1, lookup); }
  void ReadWith(const std::string& bank, const std::string& layout) {
    run_.OnStart({bank, importers::FindLayout(layout), "", false});
  }

  std::string FileOfWidth(std::size_t width) {
    std::string path = (folder_ / ("largura" + std::to_string(width))).string();
    std::ofstream file(path);
    for (int i = 0; i < 3; ++i)
      file << std::string(width, '0') << "\r\n";
    return path;
  }

  std::filesystem::path folder_;
  ImportSummary run_;
  Variant banks_ = Variant::array();
  Variant accounts_ = Variant::array();
  DetailContext context_;
};

// The command is run as it stands: a free code, no wildcard of the lookup.
TEST_F(MessageDetailTest, AccountNotFoundNamesWhatWasLookedUpAndHowToRegisterIt) {
  accounts_ = {{"001"}, {"002"}, {"004"}};
  LookedUp({"237", "3509", "90000002", "C", "9999999-9", false, ""});
  EXPECT_EQ(MessageDetail("Conta corrente não cadastrada.", context_),
            "Procurada: banco 237, agência 3509, conta 9000000-2, tipo Circulante. Para "
            "cadastrá-la: extrato contas incluir --code 003 --bank 237 --agency 3509 --number "
            "9000000-2 --type Circulante");
  LookedUp({"237", "0278", "92471799", "G", "9999999-9", true, ""});
  EXPECT_EQ(MessageDetail("Conta corrente não cadastrada.", context_),
            "Procurada: banco 237, agência 0278, conta 9247179-9, tipo Garantida. Para "
            "cadastrá-la: extrato contas incluir --code 003 --bank 237 --agency 0278 --number "
            "9247179-9 --type Garantida")
      << "the later of the two lookups, by beginnings";
  context_.registration = Registration::kMenu;
  EXPECT_EQ(MessageDetail("Conta corrente não cadastrada.", context_),
            "Procurada: banco 237, agência 0278, conta 9247179-9, tipo Garantida. Para "
            "cadastrá-la: menu Cadastros → Contas correntes → Incluir.");
}

// The agency and the number come from the file: what they hold must not act on a
// terminal, cut the text or break the JSON.
TEST_F(MessageDetailTest, AccountReadFromTheFileIsShownVisibly) {
  LookedUp({"237", "\x1b]0;x\a", "\x01", "C", "9999999-9", false, ""});
  context_.registration = Registration::kMenu;
  EXPECT_EQ(MessageDetail("Conta corrente não cadastrada.", context_),
            "Procurada: banco 237, agência \\x1b]0;x\\x07, conta \\x01, tipo Circulante. Para "
            "cadastrá-la: menu Cadastros → Contas correntes → Incluir.");
}

TEST_F(MessageDetailTest, BankNotFoundListsTheBanksOrSaysHowToAddOne) {
  context_.bank = "999";
  EXPECT_EQ(MessageDetail("Banco não cadastrado.", context_),
            "Não há banco cadastrado. Para incluir um: extrato bancos incluir --code 999 --name "
            "NOME --mask MÁSCARA (ou extrato db demo, para os bancos de demonstração). MÁSCARA é "
            "o formato do número da conta como esse banco o imprime: um 9 por dígito e \"-\" "
            "antes do dígito verificador (por exemplo 99999-9 para cinco dígitos e o "
            "verificador).");
  banks_ = {{"001", "BB", "001", "99999999-9"}, {"237", "BRADESCO", "237", "9999999-9"}};
  std::string listed = MessageDetail("Banco não cadastrado.", context_).value_or("");
  EXPECT_TRUE(
      listed.starts_with("Bancos cadastrados: 001, 237. Para incluir o banco 999: "
                         "extrato bancos incluir --code 999 --name NOME --mask MÁSCARA. "
                         "MÁSCARA é"))
      << listed;
}

TEST_F(MessageDetailTest, LinesOfTheOtherWidthAreNamedForNoData) {
  banks_ = {{"237", "BRADESCO", "237", "9999999-9"},
            {"001", "BB", "001", "99999999-9"},
            {"341", "ITAU", "341", "99999-9"}};
  const std::string no_data = "Arquivo não possui dados para importação.";
  context_.bank = "237";
  ReadWith("237", "bradesco");
  context_.file = FileOfWidth(240);
  EXPECT_EQ(MessageDetail(no_data, context_),
            "As linhas do arquivo têm 240 colunas, mas o banco 237 é lido no layout de 200 "
            "colunas: confira o banco informado.");
  context_.bank = "001";
  ReadWith("001", "febraban");
  context_.file = FileOfWidth(200);
  EXPECT_EQ(MessageDetail(no_data, context_),
            "As linhas do arquivo têm 200 colunas, mas o banco 001 é lido no layout de 240 "
            "colunas: confira o banco informado.");
  context_.bank = "341";
  ReadWith("341", "itau-200");
  context_.file = FileOfWidth(240);
  EXPECT_EQ(MessageDetail(no_data, context_),
            "As linhas do arquivo têm 240 colunas, mas o banco 341 é lido no layout de 200 "
            "colunas: confira o banco informado. Se o arquivo é do Itaú em 240 colunas, escolha "
            "esse layout: extrato layouts definir --bank 341 --layout 240.");
  context_.bank = "237";
  ReadWith("237", "bradesco");
  context_.file = FileOfWidth(200);
  EXPECT_EQ(MessageDetail(no_data, context_), std::nullopt) << "the right width: nothing to add";
  // A 200-column file whose trailer was cut short, given to a bank read in 240.
  context_.bank = "001";
  ReadWith("001", "febraban");
  for (int i = 0; i < 5; ++i)
    std::ofstream(context_.file, std::ios::app) << std::string(200, '0') << "\r\n";
  std::ofstream(context_.file, std::ios::app) << "9" << std::string(20, '0') << "\r\n";
  EXPECT_EQ(MessageDetail("Banco não encontrado no arquivo.", context_),
            "As linhas do arquivo têm 200 colunas, mas o banco 001 é lido no layout de 240 "
            "colunas: confira o banco informado.");
}

TEST_F(MessageDetailTest, PathsThatAreNoFileSayWhatTheyAre) {
  std::string fifo = (folder_ / "fila").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  context_.file = folder_.string();
  EXPECT_EQ(MessageDetail("Arquivo não existe.", context_),
            folder_.string() + " é uma pasta, não um arquivo: informe o arquivo de extrato.");
  EXPECT_EQ(NotAFileDetail(fifo), fifo + " é um FIFO (pipe com nome), não um arquivo de extrato.");
  EXPECT_EQ(NotAFileDetail("/dev/null"), "/dev/null é um dispositivo, não um arquivo de extrato.");
  EXPECT_EQ(NotAFileDetail((folder_ / "nada").string()), std::nullopt);
  context_.file = (folder_ / "nada.txt").string();
  EXPECT_EQ(MessageDetail("Arquivo não existe.", context_),
            "Não há o arquivo " + context_.file + ".");
  context_.file = (folder_ / "pasta" / "nada.txt").string();
  EXPECT_EQ(MessageDetail("Arquivo não existe.", context_),
            "Não há o arquivo " + context_.file + ": a pasta " + (folder_ / "pasta").string() +
                " não existe.");
  EXPECT_EQ(MessageDetail("A importação de extrato bancário foi realizada com sucesso.", context_),
            std::nullopt);
}

}  // namespace
}  // namespace apps
