#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class RegistryMethodsTest : public ServiceTest {
 protected:
  void AddBradesco() { Result("IncluiBanco", {"237", "BANCO BRADESCO S.A.", "237", "9999999-9"}); }
  json Account(const std::string& reduced, const std::string& number,
               const std::string& type = "C") {
    return {reduced, "237", "3509", number, type, "CONTA " + reduced};
  }
};
EXTRATO_ON_EVERY_DATABASE(RegistryMethodsTest);

TEST_P(RegistryMethodsTest, BanksAreAddedChangedListedAndRemoved) {
  EXPECT_EQ(Result("GetBancos", json::array())["rows"], json::array());
  AddBradesco();
  Result("IncluiBanco", {"1", "BANCO DO BRASIL", "1", "99999999-9"});
  EXPECT_EQ(Result("GetBancos", json::array())["rows"],
            json::parse(R"([["001","BANCO DO BRASIL","001","99999999-9"],
                            ["237","BANCO BRADESCO S.A.","237","9999999-9"]])"))
      << "codes fitted as the bank field fits them";
  Result("AlteraBanco", {"001", "BANCO DO BRASIL S.A.", "001", "99999999-9"});
  EXPECT_EQ(Result("GetBancos", json::array())["rows"][0][1], "BANCO DO BRASIL S.A.");
  Result("ExcluiBanco", {"001"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM BANCO"), 1);
}

TEST_P(RegistryMethodsTest, BankMistakesAreRefusedWithTheirReason) {
  AddBradesco();
  EXPECT_EQ(Error("IncluiBanco", {"237", "OUTRO", "237", "9999999-9"}),
            "O banco 237 já está cadastrado.");
  EXPECT_EQ(Error("IncluiBanco", {"", "SEM CODIGO", "", "9-9"}),
            "O código do banco deve ser informado.");
  EXPECT_EQ(Error("IncluiBanco", {"999", "SEM MASCARA", "999", "-"}),
            "A máscara da conta deve ter ao menos uma posição além do \"-\" (por exemplo, "
            "9999999-9).");
  EXPECT_EQ(Error("AlteraBanco", {"998", "NENHUM", "998", "9-9"}),
            "O banco 998 não está cadastrado.");
  Result("IncluiConta", Account("001", "9000000-2"));
  EXPECT_EQ(Error("AlteraBanco", {"237", "BRADESCO", "237", "99999-9"}),
            "A máscara 99999-9 não serve para 1 conta(s) corrente(s) do banco 237, cujos números "
            "têm outro número de dígitos.");
  EXPECT_EQ(Error("ExcluiBanco", {"237"}),
            "O banco 237 não pode ser excluído: tem 1 conta(s) corrente(s) cadastrada(s); "
            "exclua-as antes.");
  Exec("INSERT INTO EXTRBANCO (CDREDUCONT, CDSEQUEXTR) VALUES ('001', '0000000001')");
  EXPECT_EQ(Error("ExcluiBanco", {"237"}),
            "O banco 237 não pode ser excluído: suas contas correntes têm 1 extrato(s) "
            "importado(s).");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM BANCO"), 1);
}

TEST_P(RegistryMethodsTest, AccountNumberTypedAsTheBankShowsItIsStoredAsTheLookupsMatch) {
  AddBradesco();
  Result("IncluiConta", Account("001", "9000000-2"));
  EXPECT_EQ(Result("GetContCorr", {"237", "3509", "90000002", "C"})["rows"],
            json::parse(R"([["001"]])"))
      << "the import's own lookup finds it";
  json listed = Result("GetContas", {"237"});
  EXPECT_EQ(listed["rows"], json::parse(R"([["001","237","3509","90000002","C","CONTA 001",
                                              "9000000-2"]])"));
  Result("AlteraConta", {"001", "237", "3509", "9000000-2", "L", "APLICAÇÃO"});
  EXPECT_EQ(Result("GetContas", {""})["rows"][0][4], "L");
  Result("ExcluiConta", {"001"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM CONTCORR"), 0);
}

TEST_P(RegistryMethodsTest, AccountMistakesAreRefusedWithTheirReason) {
  AddBradesco();
  EXPECT_EQ(Error("IncluiConta", Account("001", "123456789-0")),
            "O número da conta \"123456789-0\" tem 10 dígitos; a máscara do banco 237 "
            "(9999999-9) tem 8.");
  EXPECT_EQ(Error("IncluiConta", {"001", "999", "3509", "1-0", "C", "X"}),
            "O banco 999 não está cadastrado (veja extrato bancos).");
  EXPECT_EQ(Error("IncluiConta", Account("001", "9000000-2", "P")),
            "Tipo de conta \"P\" inválido: use Circulante, Aplicação ou Garantida.");
  EXPECT_EQ(Error("IncluiConta", {"001", "237", "1234-5", "1-0", "C", "X"}),
            "A agência da conta tem no máximo 5 caracteres: \"1234-5\" tem 6.")
      << "refused whole, never cut to its size";
  EXPECT_EQ(Error("IncluiBanco", {"2370", "BANCO", "237", "9-9"}),
            "O código do banco tem no máximo 3 caracteres: \"2370\" tem 4.");
  Result("IncluiConta", Account("001", "9000000-2"));
  EXPECT_EQ(Error("IncluiConta", Account("001", "9000001-0")),
            "A conta corrente 001 já está cadastrada.");
  EXPECT_EQ(Error("IncluiConta", Account("002", "90000002")),
            "A conta corrente 001 já tem o mesmo banco, agência, número e tipo de conta.");
  EXPECT_EQ(Error("AlteraConta", Account("003", "9000003-0")),
            "A conta corrente 003 não está cadastrada.");
  Exec("INSERT INTO EXTRBANCO (CDREDUCONT, CDSEQUEXTR) VALUES ('001', '0000000001')");
  EXPECT_EQ(Error("ExcluiConta", {"001"}),
            "A conta corrente 001 não pode ser excluída: tem 1 extrato(s) importado(s).");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM CONTCORR"), 1);
}

TEST_P(RegistryMethodsTest, CompanyLayoutIsChosenPerBankAndForgotten) {
  Result("IncluiBanco", {"341", "ITAU", "341", "99999-9"});
  Result("SetLayout", {"1", "341", "240"});
  EXPECT_EQ(Result("GetIdLayout", {"1", "341"}), json::array({"240"}));
  Result("SetLayout", {"1", "341", "200"});
  EXPECT_EQ(Result("GetLayouts", {"1"})["rows"], json::parse(R"([["1","341","200"]])"));
  Result("SetLayout", {"1", "341", ""});
  EXPECT_EQ(Result("GetIdLayout", {"1", "341"}), json::array({""}));
  EXPECT_EQ(Error("SetLayout", {"1", "341", "400"}), "Layout \"400\" inválido: use 200 ou 240.");
  EXPECT_EQ(Error("SetLayout", {"1", "777", "240"}), "O banco 777 não está cadastrado.");
  AddBradesco();
  EXPECT_EQ(Error("SetLayout", {"1", "237", "200"}),
            "O banco 237 tem um só layout, que a empresa não escolhe: só os bancos de código "
            "CNAB 341 (Itaú) são lidos no layout de 200 ou de 240 colunas, como a empresa "
            "escolher (cadastrados: 341).");
  EXPECT_EQ(Result("GetLayouts", {"1"})["rows"], json::array());
}

}  // namespace
}  // namespace server::testing
