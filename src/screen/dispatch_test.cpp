// The confirm button: checks, run state, the statement file and the routing.
#include "screen/dispatch.h"

#include <gtest/gtest.h>

#include "host/routines.h"
#include "testing/import_test_support.h"

namespace {

using host::EventOutcome;

TEST(AccountTypeCodeTest, ExactItemTextsAndCirculanteOtherwise) {
  EXPECT_EQ("C", AccountTypeCode("Circulante"));
  EXPECT_EQ("L", AccountTypeCode("Aplicação"));
  EXPECT_EQ("G", AccountTypeCode("Garantida"));
  EXPECT_EQ("C", AccountTypeCode(""));
  EXPECT_EQ("C", AccountTypeCode("garantida"));
  EXPECT_EQ("C", AccountTypeCode("Aplicacao"));
}

class DispatchTest : public importers::testing::ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    empty_file_ = WriteBytes("vazio.txt", "");
  }

  void AnswerLayout(host::Variant payload) {
    answers_["GetIdLayout"] = {{"ok", true}, {"result", std::move(payload)}};
  }

  bool FileClosed() const { return !screen_->StatementFile().IsOpen(); }

  // A Bradesco statement of the demonstration account with one movement.
  std::string OneMovementFile() {
    using importers::testing::BradescoBalance;
    using importers::testing::BradescoMovement;
    return WriteFile("bradesco.txt",
                     importers::testing::BradescoFile({BradescoBalance('0', "070716", 1000),
                                                       BradescoMovement("000001", 250),
                                                       BradescoBalance('2', "070716", 1250)}),
                     "\n");
  }

  std::string empty_file_;
};

TEST_F(DispatchTest, EachCodeRunsTheImporterOfItsLayout) {
  struct Case {
    const char* bank;
    const char* cnab;
    const char* submission;
  };
  AddBank("900", "33", "9999999-9");
  AddBank("901", "", "9999999-9");
  AddBank("902", "237", "9999999-9");
  AddBank("275", "275", "9999999-9");
  const Case cases[] = {
      {"237", "237", "Set_Real_Bradesco"}, {"902", "237", "Set_Real_Bradesco"},
      {"275", "275", "Set_Real_Bradesco"}, {"356", "356", "Set_Real_Bradesco"},
      {"033", "033", "Set_Real_Bradesco"}, {"001", "001", "SetFebraban"},
      {"104", "104", "SetFebraban"},       {"900", "33", "SetFebraban"},
      {"901", "", "SetFebraban"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventOutcome::kAborted, Import(c.bank, empty_file_)) << c.bank;
    EXPECT_EQ(std::vector<std::string>{importers::testing::kSemDados}, Texts()) << c.bank;
    EXPECT_EQ(std::vector<std::string>{c.submission}, Calls()) << c.bank << " CNAB " << c.cnab;
    EXPECT_TRUE(FileClosed()) << c.bank;
  }
}

TEST_F(DispatchTest, ItauAsksTheServerForTheCompanysLayoutWithTheBanksOwnCode) {
  for (const char* layout : {"", "200", "240"}) {
    AnswerLayout(host::Variant::array({layout}));
    EXPECT_EQ(EventOutcome::kAborted, Import("341", empty_file_)) << layout;
    EXPECT_EQ((std::vector<std::string>{"GetIdLayout", "Set_Real_Bradesco"}), Calls()) << layout;
    EXPECT_EQ(host::Variant::array({host::EmprProc(), "341"}), ParamsOf("GetIdLayout"));
    EXPECT_EQ(std::vector<std::string>{importers::testing::kSemDados}, Texts()) << layout;
    EXPECT_TRUE(FileClosed()) << layout;
  }
  // A layout of no importer reads nothing and says nothing.
  AnswerLayout(host::Variant::array({"400"}));
  EXPECT_EQ(EventOutcome::kCompleted, Import("341", empty_file_));
  EXPECT_EQ(std::vector<std::string>{"GetIdLayout"}, Calls());
  EXPECT_TRUE(Texts().empty());
  EXPECT_TRUE(FileClosed());

  AddBank("777", "341", "99999-9");
  AnswerLayout(host::Variant::array({nullptr}));
  Import("777", empty_file_);
  EXPECT_EQ(host::Variant::array({host::EmprProc(), "777"}), ParamsOf("GetIdLayout"));
}

TEST_F(DispatchTest, LayoutAnswerWithoutAnElementIsAServerFailure) {
  for (const host::Variant& payload : {host::Variant::array(), host::Variant("240")}) {
    AnswerLayout(payload);
    EXPECT_EQ(EventOutcome::kAborted, Import("341", empty_file_)) << payload.dump();
    EXPECT_EQ(std::vector<std::string>{"O servidor de aplicação não informou o layout de "
                                       "importação do banco."},
              Texts());
    EXPECT_TRUE(FileClosed());
  }
  answers_["GetIdLayout"] = host::FailureAnswer("Tabela LAYOUTBANCO indisponível.");
  EXPECT_EQ(EventOutcome::kAborted, Import("341", empty_file_));
  EXPECT_EQ(std::vector<std::string>{"Tabela LAYOUTBANCO indisponível."}, Texts());
  EXPECT_TRUE(FileClosed());
}

TEST_F(DispatchTest, FileIsClosedWhenTheImporterFails) {
  answers_["SetFebraban"] = host::FailureAnswer("Banco de dados fora do ar.");
  EXPECT_EQ(EventOutcome::kAborted, Import("001", empty_file_));
  EXPECT_EQ(std::vector<std::string>{"Banco de dados fora do ar."}, Texts());
  EXPECT_TRUE(FileClosed());
  // A conversion error is not the silent abort, and closes the file all the same.
  std::string bad_date = WriteFile(
      "data.txt",
      importers::testing::BradescoFile({importers::testing::BradescoBalance('0', "07XX16", 100)}));
  EXPECT_EQ(EventOutcome::kFailed, Import("237", bad_date));
  EXPECT_EQ(1u, Texts().size());
  EXPECT_TRUE(FileClosed());
}

TEST_F(DispatchTest, FailedChecksClearNothingAndOpenNothing) {
  struct Case {
    const char* name;
    const char* bank;
    std::string file;
    const char* message;
    const host::Control* focus;
  };
  const Case cases[] = {
      {"no bank", "", empty_file_, "Banco deve ser informado.", &screen_->medCdBanco},
      {"unknown bank", "998", empty_file_, "Banco não cadastrado.", &screen_->medCdBanco},
      {"no file", "237", "", "Arquivo origem deve ser informado.", &screen_->edtNmArquivo},
      {"blank file", "237", "   ", "Arquivo origem deve ser informado.", &screen_->edtNmArquivo},
      {"missing file", "237", empty_file_ + ".nao", "Arquivo não existe.", &screen_->edtNmArquivo},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventOutcome::kAborted, Import(c.bank, c.file, "Aplicação")) << c.name;
    EXPECT_EQ(std::vector<std::string>{c.message}, Texts()) << c.name;
    EXPECT_TRUE(requests_.empty()) << c.name;
    EXPECT_EQ(c.focus, screen_->ActiveControl()) << c.name;
    EXPECT_TRUE(FileClosed()) << c.name;
  }
}

TEST_F(DispatchTest, ValidInputsStoreTheFolderThenRunWithTheAccountTypeChosen) {
  AnswerLayout(host::Variant::array({"400"}));  // so that no importer runs
  EXPECT_EQ(EventOutcome::kCompleted, Import("341", empty_file_, "Aplicação"));
  ASSERT_EQ(3u, requests_.size());
  EXPECT_EQ("GetDiretorio", requests_[0]["method"]);
  EXPECT_EQ("SetDiretorio", requests_[1]["method"]);

  std::string path = OneMovementFile();
  for (auto [item, code] :
       {std::pair{"Garantida", "G"}, std::pair{"Aplicação", "L"}, std::pair{"Circulante", "C"}}) {
    Import("237", path, item);
    EXPECT_EQ(code, ParamsOf("GetContCorr")[3]) << item;
  }
  screen_->cbTipoConta.SetItemIndex(-1);
  requests_.clear();
  host::GetApplication().Dispatch([this] { screen_->sbtConfirma.Click(); });
  EXPECT_EQ("C", ParamsOf("GetContCorr")[3]) << "no item chosen";
}

TEST_F(DispatchTest, ConfirmingTwiceReadsTheFileAgainFromItsStart) {
  std::string path = OneMovementFile();
  EXPECT_EQ(EventOutcome::kCompleted, Import("237", path));
  EXPECT_EQ(std::vector<std::string>{importers::testing::kSucesso}, Texts());
  EXPECT_EQ(1, Count("MOVREAL"));
  EXPECT_EQ(EventOutcome::kAborted, Import("237", path));
  EXPECT_EQ(std::vector<std::string>{importers::testing::JaImportado("001")}, Texts());
  EXPECT_EQ(1, Count("MOVREAL"));
  EXPECT_TRUE(FileClosed());
}

}  // namespace
