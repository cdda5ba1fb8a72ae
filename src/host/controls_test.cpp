#include "host/controls.h"

#include <gtest/gtest.h>

#include "host/application.h"
#include "host/form.h"
#include "testing/recording_ui_services.h"

namespace host {
namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { GetApplication().SetUiServices(&ui_); }
  void TearDown() override { GetApplication().SetUiServices(nullptr); }
  RecordingUiServices ui_;
  Form form_{"form"};
};

TEST_F(ControlsTest, EditsRunChangeOnlyWhenTheTextChanges) {
  MaskEdit code(form_, "code");
  code.SetMaxLength(3);
  int changes = 0;
  code.OnChange = [&](Object&) { ++changes; };
  code.SetText("2375");
  EXPECT_EQ("237", code.Text());  // cut to the maximum length
  code.SetText("237");
  EXPECT_EQ(1, changes);
  code.SetText("çã");
  EXPECT_EQ("çã", code.Text());  // characters, not bytes
}

TEST_F(ControlsTest, ComboBoxTextFollowsItsItemIndex) {
  ComboBox combo(form_, "combo");
  combo.SetItems({"Circulante", "Aplicação", "Garantida"});
  EXPECT_EQ("", combo.Text());
  combo.SetItemIndex(1);
  EXPECT_EQ("Aplicação", combo.Text());
  combo.SetItemIndex(7);
  EXPECT_EQ(-1, combo.ItemIndex());
}

TEST_F(ControlsTest, ProgressBarStaysInRange) {
  ProgressBar bar(form_, "bar");
  bar.SetRange(0, 1000);
  bar.SetPosition(1200);
  EXPECT_EQ(1000, bar.Position());
  bar.SetPosition(-5);
  EXPECT_EQ(0, bar.Position());
}

TEST_F(ControlsTest, SearchButtonListsPicksAndRunsItsHandlers) {
  TDataSource source("source");
  std::vector<std::vector<std::string>> rows = {{"001", "BANCO UM"}, {"237", "BANCO DOIS"}};
  std::optional<std::size_t> selected;
  source.Rows = [&] { return TDataSource::Listing{{"Código", "Nome"}, rows}; };
  source.SelectRow = [&](std::size_t row) { selected = row; };
  TBtnPesquisa button(form_, "button");
  button.SetDataSource(&source);
  button.SetTitle("Banco");
  button.SetEmptyError("Não há banco cadastrado.");
  std::vector<std::string> log;
  button.OnBeforePesq = [&](Object&, bool&) { log.push_back("before"); };
  button.OnAfterPesq = [&](Object&) { log.push_back("after " + std::to_string(*selected)); };

  ui_.ScriptPick(1);
  button.Pesquisar();
  EXPECT_EQ((std::vector<std::string>{"before", "after 1"}), log);
  ASSERT_EQ(1u, ui_.search_requests().size());
  EXPECT_EQ("Banco", ui_.search_requests()[0].title);
  EXPECT_EQ(rows, ui_.search_requests()[0].rows);

  log.clear();
  button.Pesquisar();  // no pick: the after handler does not run
  EXPECT_EQ((std::vector<std::string>{"before"}), log);

  rows.clear();
  button.Pesquisar();
  EXPECT_EQ((std::vector<std::string>{"Não há banco cadastrado."}), ui_.texts());
}

TEST_F(ControlsTest, OpenDialogKeepsTheLastChoiceOnCancel) {
  OpenDialog dialog("dialog");
  dialog.SetTitle("Arquivo Origem");
  dialog.SetInitialDir("/extratos/");
  ui_.ScriptFile("/extratos/ret.txt");
  EXPECT_TRUE(dialog.Execute());
  EXPECT_FALSE(dialog.Execute());  // cancelled
  EXPECT_EQ("/extratos/ret.txt", dialog.FileName());
  ASSERT_EQ(2u, ui_.file_requests().size());
  EXPECT_EQ("/extratos/", ui_.file_requests()[0].initial_dir);
}

}  // namespace
}  // namespace host
