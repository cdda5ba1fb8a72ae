// What the command line tells a user to type works when typed as it stands, and
// says what is wrong in the user's words.

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "process.h"
#include "testing/test_database.h"
#include "tools/statements/example_files.h"
#include "tools/statements/statement_generator.h"

namespace {

const std::string kSamples = std::string(EXTRATO_SOURCE_DIR) + "/samples/";

class AdviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"db", "demo"}).status, 0); }

  cli_test::ProcessResult Run(std::vector<std::string> arguments) {
    return cli_test::RunCli(std::move(arguments), database_.uri());
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
};

// The words of the command suggested after `lead`, up to the end of its line.
std::vector<std::string> Suggested(const std::string& text, const std::string& lead) {
  std::size_t start = text.find(lead);
  if (start == std::string::npos)
    return {};
  start += lead.size();
  std::istringstream line(text.substr(start, text.find('\n', start) - start));
  std::vector<std::string> words;
  for (std::string word; line >> word;)
    words.push_back(word);
  return words;
}

TEST_F(AdviceTest, AccountCommandSuggestedForAnUnknownAccountRegistersIt) {
  for (const bench::ExampleFile& example : bench::ExampleFiles()) {
    SCOPED_TRACE(example.name);
    const importers::Layout& layout = *example.options.layout;
    bench::GeneratedAccount account = bench::GeneratedAccounts(layout, 1).front();
    ASSERT_EQ(Run({"contas", "excluir", "--code", account.reduced}).status, 0);
    std::vector<std::string> import = {"import", "--bank", bench::BankOf(layout), "--file",
                                       kSamples + example.name};
    auto refused = Run(import);
    ASSERT_EQ(refused.status, 1) << refused.err;
    std::vector<std::string> suggested = Suggested(refused.err, "Para cadastrá-la: extrato ");
    ASSERT_FALSE(suggested.empty()) << refused.err;
    EXPECT_EQ(refused.err.find('%'), std::string::npos) << refused.err;
    auto registered = Run(suggested);
    EXPECT_EQ(registered.status, 0) << registered.err;
    auto imported = Run(import);
    EXPECT_EQ(imported.status, 0) << imported.err;
  }
}

TEST_F(AdviceTest, FileOfTheOtherWidthIsNamedAsSuch) {
  // The Bradesco file, 200 columns, given to Banco do Brasil, read in 240.
  auto refused = Run({"import", "--bank", "001", "--file", kSamples + "bradesco-200.txt"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("As linhas do arquivo têm 200 colunas, mas o banco 001 é lido no "
                             "layout de 240 colunas: confira o banco informado."),
            std::string::npos)
      << refused.err;
}

TEST_F(AdviceTest, OnlyBanksOfSeveralLayoutsTakeTheCompanysChoice) {
  auto refused = Run({"layouts", "definir", "--bank", "001", "--layout", "200"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "Erro: O banco 001 tem um só layout, que a empresa não escolhe: só os bancos de "
            "código CNAB 341 (Itaú) são lidos no layout de 200 ou de 240 colunas, como a empresa "
            "escolher (cadastrados: 341, 641).\n");
  EXPECT_EQ(Run({"layouts", "definir", "--bank", "641", "--layout", "240"}).status, 0);
}

TEST_F(AdviceTest, RegistrationRefusalsNameTheFieldAndTheType) {
  auto agency = Run({"contas", "incluir", "--code", "099", "--bank", "237", "--agency", "1234-5",
                     "--number", "1-9", "--type", "Circulante"});
  EXPECT_EQ(agency.status, 1);
  EXPECT_EQ(agency.err, "Erro: A agência da conta tem no máximo 5 caracteres: \"1234-5\" tem 6.\n");
  auto listed = Run({"contas", "--bank", "237"});
  EXPECT_NE(listed.out.find("Circulante"), std::string::npos) << listed.out;

  auto unknown = Run({"import", "--bank", "999", "--file", kSamples + "bradesco-200.txt"});
  EXPECT_NE(unknown.err.find("--mask MÁSCARA. MÁSCARA é o formato do número da conta como esse "
                             "banco o imprime"),
            std::string::npos)
      << unknown.err;
  EXPECT_EQ(unknown.err.find("9999999-9"), std::string::npos) << "not Bradesco's for every bank";
}

TEST_F(AdviceTest, MissingFileIsNamed) {
  std::string path = database_.folder().string() + "/nao/existe.txt";
  auto missing = Run({"import", "--bank", "237", "--file", path});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Erro: Arquivo não existe.\n  Não há o arquivo " + path +
                             ": a pasta " + database_.folder().string() + "/nao não existe.\n"),
            std::string::npos)
      << missing.err;
}

}  // namespace
