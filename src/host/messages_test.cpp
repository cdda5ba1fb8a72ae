#include "host/messages.h"

#include <gtest/gtest.h>

#include "host/application.h"
#include "host/exceptions.h"
#include "testing/recording_ui_services.h"

namespace host {
namespace {

TEST(MessagesTest, LooksUpKeysAndShowsWithTheKey) {
  RecordingUiServices ui;
  GetApplication().SetUiServices(&ui);
  TMessages messages("msgPadrao");
  messages.SetLines({"Arqu_JaImp|Arquivo já importado para a conta %s.", "S|Sim", "Vazia|"});
  EXPECT_EQ("Arquivo já importado para a conta %s.", messages.Msg("Arqu_JaImp"));
  EXPECT_EQ("", messages.Msg("Vazia"));
  EXPECT_EQ("Mensagem 'Nenhuma' não cadastrada.", messages.Msg("Nenhuma"));
  messages.ShowMsg("S", DialogType::kWarning);
  ASSERT_EQ(1u, ui.messages().size());
  EXPECT_EQ("Sim", ui.messages()[0].text);
  EXPECT_EQ("S", ui.messages()[0].key);
  EXPECT_THROW(messages.SetLines({"sem barra"}), Exception);
  EXPECT_EQ("Sim", messages.Msg("S"));  // a bad table leaves the old one
  GetApplication().SetUiServices(nullptr);
}

}  // namespace
}  // namespace host
