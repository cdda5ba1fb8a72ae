// The bank and file fields as a user works them: typing, leaving, searching.
#include <filesystem>

#include <gtest/gtest.h>

#include "testing/import_test_support.h"

namespace {

using host::EventOutcome;

class SelectionTest : public importers::testing::ImportTest {
 protected:
  // Types into the field and tabs out of it, as a user does.
  EventOutcome TypeAndLeave(host::Edit& field, const std::string& text) {
    return host::GetApplication().Dispatch([&] {
      field.SetFocus();
      field.SetText(text);
      screen_->FocusControl(*screen_->NextInTabOrder(&field));
    });
  }

  EventOutcome Search() {
    return host::GetApplication().Dispatch([this] { screen_->btnPesqBanco.Pesquisar(); });
  }

  EventOutcome ClickFileButton() {
    return host::GetApplication().Dispatch([this] { screen_->btnProcArq.Click(); });
  }

  std::vector<std::string> Methods() const {
    std::vector<std::string> methods;
    for (const host::Variant& request : requests_)
      methods.push_back(request.value("method", ""));
    return methods;
  }

  std::vector<std::string> Folders() {
    return Rows("SELECT CDPROGRAMA, DSDIRETORIO FROM DIRETORIO ORDER BY CDPROGRAMA");
  }

  // A folder of the test's own, with its closing delimiter.
  std::string Folder(const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(WriteBytes(".", "")).parent_path() / name;
    std::filesystem::create_directories(folder);
    return folder.string() + "/";
  }
};

TEST_F(SelectionTest, LeavingAnEmptyCodeDoesNothing) {
  EXPECT_EQ(EventOutcome::kCompleted, TypeAndLeave(screen_->medCdBanco, ""));
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_FALSE(screen_->qryBanco.Active());
  EXPECT_TRUE(screen_->edtNmArquivo.Focused());
}

TEST_F(SelectionTest, ShortCodeIsFittedToThreeAndShownWithItsName) {
  EXPECT_EQ(EventOutcome::kCompleted, TypeAndLeave(screen_->medCdBanco, "1"));
  EXPECT_EQ("001", screen_->medCdBanco.Text());
  EXPECT_EQ("BANCO DO BRASIL S.A.", screen_->edtNmBanco.Text());
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(screen_->edtNmArquivo.Focused());
  EXPECT_EQ("001", screen_->qryBanco.FieldByName("CDBANCCNAB").AsString());
}

TEST_F(SelectionTest, UnknownCodeIsRefusedWithTheFocusBackInTheField) {
  EXPECT_EQ(EventOutcome::kAborted, TypeAndLeave(screen_->medCdBanco, "99"));
  EXPECT_EQ(std::vector<std::string>{"Banco não cadastrado."}, Texts());
  EXPECT_EQ(host::DialogType::kError, ui_.messages()[0].type);
  EXPECT_TRUE(screen_->medCdBanco.Focused());
  EXPECT_EQ("099", screen_->medCdBanco.Text());
  EXPECT_EQ("", screen_->edtNmBanco.Text());
  EXPECT_TRUE(screen_->qryBanco.Active());
  EXPECT_TRUE(screen_->qryBanco.IsEmpty());
}

TEST_F(SelectionTest, ChangingTheCodeEmptiesTheNameUntilTheFieldIsLeft) {
  TypeAndLeave(screen_->medCdBanco, "237");
  EXPECT_EQ("BANCO BRADESCO S.A.", screen_->edtNmBanco.Text());
  screen_->medCdBanco.SetFocus();
  screen_->medCdBanco.SetText("23");
  EXPECT_EQ("", screen_->edtNmBanco.Text());
  screen_->medCdBanco.SetText("341");
  EXPECT_EQ("", screen_->edtNmBanco.Text());
  TypeAndLeave(screen_->medCdBanco, "341");
  EXPECT_EQ("ITAÚ UNIBANCO S.A.", screen_->edtNmBanco.Text());
}

TEST_F(SelectionTest, SearchListsEveryBankByCodeAndAPickFillsCodeThenName) {
  TypeAndLeave(screen_->medCdBanco, "001");  // a lookup first: the search must not keep its code
  ui_.ScriptPick(3);
  EXPECT_EQ(EventOutcome::kCompleted, Search());
  ASSERT_EQ(1u, ui_.search_requests().size());
  const host::SearchListRequest list = ui_.search_requests()[0];
  EXPECT_EQ("Banco", list.title);
  EXPECT_EQ((std::vector<std::string>{"Código", "Nome"}), list.column_titles);
  ASSERT_EQ(9u, list.rows.size());
  EXPECT_EQ((std::vector<std::string>{"001", "BANCO DO BRASIL S.A."}), list.rows[0]);
  EXPECT_EQ((std::vector<std::string>{"707", "BANCO DAYCOVAL S.A."}), list.rows[8]);
  EXPECT_EQ("237", screen_->medCdBanco.Text());
  EXPECT_EQ("BANCO BRADESCO S.A.", screen_->edtNmBanco.Text());
  EXPECT_EQ("237", screen_->qryBanco.FieldByName("CDBANCCNAB").AsString());
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(SelectionTest, SearchOverAnEmptyBankTableSaysSoAndPicksNothing) {
  Exec("DELETE FROM CONTCORR");
  Exec("DELETE FROM LAYOUTBANCO");
  Exec("DELETE FROM BANCO");
  ui_.ScriptPick(0);
  EXPECT_EQ(EventOutcome::kCompleted, Search());
  EXPECT_EQ(std::vector<std::string>{"Não há banco cadastrado."}, Texts());
  EXPECT_TRUE(ui_.search_requests().empty());
  EXPECT_EQ("", screen_->medCdBanco.Text());
}

TEST_F(SelectionTest, LeavingAnEmptyFileFieldDoesNothing) {
  TypeAndLeave(screen_->edtNmArquivo, "");
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(screen_->cbTipoConta.Focused());
}

TEST_F(SelectionTest, MissingFileIsRefusedWithTheFocusKeptAndNothingStored) {
  std::string missing = Folder("extratos") + "nao-existe.txt";
  EXPECT_EQ(EventOutcome::kAborted, TypeAndLeave(screen_->edtNmArquivo, missing));
  EXPECT_EQ(std::vector<std::string>{"Arquivo não existe."}, Texts());
  EXPECT_TRUE(screen_->edtNmArquivo.Focused());
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(Folders().empty());
  // A folder is not a file.
  ui_.Clear();
  EXPECT_EQ(EventOutcome::kAborted, TypeAndLeave(screen_->edtNmArquivo, Folder("extratos")));
  EXPECT_EQ(std::vector<std::string>{"Arquivo não existe."}, Texts());
}

TEST_F(SelectionTest, FirstFileInsertsTheRememberedFolderAndLaterOnesEditIt) {
  std::string first = Folder("janeiro");
  std::string second = Folder("fevereiro");
  WriteBytes("janeiro/a.txt", "x");
  WriteBytes("fevereiro/b.txt", "x");

  EXPECT_EQ(EventOutcome::kCompleted, TypeAndLeave(screen_->edtNmArquivo, first + "a.txt"));
  EXPECT_EQ((std::vector<std::string>{"GetDiretorio", "SetDiretorio"}), Methods());
  EXPECT_EQ("QAR62700", requests_[0]["params"][0]);
  EXPECT_EQ("insert", requests_[1]["params"][0]["changes"][0]["op"]);
  EXPECT_EQ(std::vector<std::string>{"QAR62700|" + first}, Folders());
  EXPECT_EQ(first, screen_->odlEscolhe.InitialDir());
  EXPECT_FALSE(ui_.wait_visible());

  requests_.clear();
  EXPECT_EQ(EventOutcome::kCompleted, TypeAndLeave(screen_->edtNmArquivo, second + "b.txt"));
  EXPECT_EQ((std::vector<std::string>{"GetDiretorio", "SetDiretorio"}), Methods());
  EXPECT_EQ("modify", requests_[1]["params"][0]["changes"][0]["op"]);
  EXPECT_EQ(std::vector<std::string>{"QAR62700|" + second}, Folders());
  EXPECT_EQ(second, screen_->odlEscolhe.InitialDir());
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(SelectionTest, FileDialogStartsInTheFolderOfTheLastFileChosen) {
  std::string folder = Folder("retornos");
  std::string chosen = WriteBytes("retornos/ret.txt", "x");

  // A new screen with an empty field: no server call, the dialog's own folder.
  ui_.ScriptFile(chosen);
  EXPECT_EQ(EventOutcome::kCompleted, ClickFileButton());
  ASSERT_EQ(1u, ui_.file_requests().size());
  EXPECT_EQ("", ui_.file_requests()[0].initial_dir);
  EXPECT_EQ("Arquivo Origem", ui_.file_requests()[0].title);
  EXPECT_EQ("Todos os Arquivos (*.*)|*.*", ui_.file_requests()[0].filter);
  EXPECT_EQ(chosen, screen_->edtNmArquivo.Text());
  EXPECT_EQ((std::vector<std::string>{"GetDiretorio", "SetDiretorio"}), Methods());
  EXPECT_EQ(std::vector<std::string>{"QAR62700|" + folder}, Folders());

  // Cleared and clicked again: the dialog starts there; a cancel names the last
  // file chosen again.
  screen_->edtNmArquivo.SetText("");
  ui_.ScriptFile(std::nullopt);
  EXPECT_EQ(EventOutcome::kCompleted, ClickFileButton());
  ASSERT_EQ(2u, ui_.file_requests().size());
  EXPECT_EQ(folder, ui_.file_requests()[1].initial_dir);
  EXPECT_EQ(chosen, screen_->edtNmArquivo.Text());
}

TEST_F(SelectionTest, CancellingTheDialogWhenNothingWasChosenStoresNothing) {
  ui_.ScriptFile(std::nullopt);
  EXPECT_EQ(EventOutcome::kCompleted, ClickFileButton());
  EXPECT_EQ("", screen_->edtNmArquivo.Text());
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(Folders().empty());
}

TEST_F(SelectionTest, FailedFolderStoreKeepsTheChangeAndTheDialogFolder) {
  std::string stored = Folder("antes");
  TypeAndLeave(screen_->edtNmArquivo, WriteBytes("antes/a.txt", "x"));
  Folder("depois");
  answers_["SetDiretorio"] = host::FailureAnswer("Servidor indisponível.");
  ui_.Clear();
  EXPECT_EQ(EventOutcome::kAborted,
            TypeAndLeave(screen_->edtNmArquivo, WriteBytes("depois/b.txt", "x")));
  EXPECT_EQ(std::vector<std::string>{"Servidor indisponível."}, Texts());
  EXPECT_FALSE(ui_.wait_visible());
  EXPECT_EQ(1, screen_->cdsDiretorio.ChangeCount()) << "the change stays, not merged";
  EXPECT_EQ(stored, screen_->odlEscolhe.InitialDir());
  EXPECT_EQ(std::vector<std::string>{"QAR62700|" + stored}, Folders());
}

}  // namespace
