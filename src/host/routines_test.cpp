#include "host/routines.h"

#include <gtest/gtest.h>

#include "host/application.h"
#include "host/exceptions.h"
#include "testing/recording_ui_services.h"

namespace host {
namespace {

TEST(AjustaTest, FitsToWidth) {
  EXPECT_EQ("007", Ajusta("7", 3));      // short: zeros on the left
  EXPECT_EQ("237", Ajusta("237", 3));    // exact width
  EXPECT_EQ("345", Ajusta("12345", 3));  // long: the last characters
  EXPECT_EQ("000", Ajusta("   ", 3));    // blank
  EXPECT_EQ("000", Ajusta("", 3));       // empty
  EXPECT_EQ("012", Ajusta(" 12 ", 3));   // trimmed first
  EXPECT_EQ("0000000042", Ajusta("42", 10));
  EXPECT_EQ(std::stoll(Ajusta("123456789012", 10)), 3456789012LL);
}

TEST(RoundDecTest, HalfCentsRoundAwayFromZero) {
  EXPECT_DOUBLE_EQ(2.68, RoundDec(2.675, 2));
  EXPECT_DOUBLE_EQ(1.01, RoundDec(1.005, 2));
  EXPECT_DOUBLE_EQ(-2.68, RoundDec(-2.675, 2));
  EXPECT_DOUBLE_EQ(0.01, RoundDec(0.005, 2));
  EXPECT_DOUBLE_EQ(1.0, RoundDec(0.995, 2));
  EXPECT_DOUBLE_EQ(1234.57, RoundDec(1234.565, 2));
  EXPECT_DOUBLE_EQ(2.67, RoundDec(2.674999, 2));
  EXPECT_DOUBLE_EQ(100.0, RoundDec(99.999, 2));
  EXPECT_DOUBLE_EQ(0.0, RoundDec(0.0, 2));
  EXPECT_DOUBLE_EQ(33406.5, RoundDec(33406.50, 2));
  EXPECT_DOUBLE_EQ(0.0, RoundDec(1e-7, 2));
}

TEST(StringRoutinesTest, EmptyTrimRightReplicate) {
  EXPECT_TRUE(EmptyString(""));
  EXPECT_TRUE(EmptyString("   "));
  EXPECT_TRUE(EmptyString(" \t\r\n"));
  EXPECT_FALSE(EmptyString(" a "));
  EXPECT_EQ("abc", AllTrim("\t abc \r\n"));
  EXPECT_EQ("", AllTrim("   "));
  EXPECT_EQ("789", Right("123456789", 3));
  EXPECT_EQ("ção", Right("Conciliação", 3));  // characters, not bytes
  EXPECT_EQ("12", Right("12", 5));
  EXPECT_EQ("", Right("12", 0));
  EXPECT_EQ("000", Replicate("0", 3));
  EXPECT_EQ("", Replicate("0", 0));
}

TEST(FileRoutinesTest, FolderPartKeepsItsDelimiter) {
  EXPECT_EQ("/home/ana/extratos/", ExtractFilePath("/home/ana/extratos/ret.txt"));
  EXPECT_EQ("/home/ana/", ExtractFilePath("/home/ana/ex:1.txt"));
  EXPECT_EQ("/home/ana/", ExtractFilePath("/home/ana/a\\b.txt"));
  EXPECT_EQ("", ExtractFilePath("C:ret.txt"));
  EXPECT_EQ("", ExtractFilePath("ret.txt"));
  EXPECT_FALSE(FileExists("/nonexistent/extrato.ret"));
  EXPECT_FALSE(FileExists("/tmp"));  // a folder is not a file
}

class FailureRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override { GetApplication().SetUiServices(&ui_); }
  void TearDown() override { GetApplication().SetUiServices(nullptr); }
  RecordingUiServices ui_;
};

TEST_F(FailureRoutinesTest, MensErroShowsThenAbortsSilently) {
  EXPECT_THROW(MensErro("Banco deve ser informado."), EAbort);
  ASSERT_EQ(1u, ui_.messages().size());
  EXPECT_EQ(DialogType::kError, ui_.messages()[0].type);
  EXPECT_EQ("Banco deve ser informado.", ui_.messages()[0].text);
}

TEST_F(FailureRoutinesTest, CheckResultServUnpacksTheEnvelope) {
  EXPECT_EQ(Variant("0000000001"),
            CheckResultServ(Variant{{"ok", true}, {"result", "0000000001"}}));
  EXPECT_TRUE(ui_.messages().empty());

  EXPECT_THROW(CheckResultServ(FailureAnswer("Conta inexistente.")), EAbort);
  EXPECT_THROW(CheckResultServ(Variant("0000000001")), EAbort);  // not an envelope
  EXPECT_THROW(CheckResultServ(Variant{{"ok", false}}), EAbort);
  EXPECT_EQ(
      (std::vector<std::string>{"Conta inexistente.", "Resposta inválida do servidor de aplicação.",
                                "Falha no servidor de aplicação."}),
      ui_.texts());
}

TEST_F(FailureRoutinesTest, MsgAlertAsksWithTheCaptionsInOrder) {
  ui_.ScriptAnswer(11);
  EXPECT_EQ(11, MsgAlert("Importar?", DialogType::kConfirmation, {"Não", "Sim"}));
  EXPECT_EQ(2, MsgAlert("Importar?", DialogType::kConfirmation, {"Não", "Sim"}));  // closed
  ASSERT_EQ(2u, ui_.questions().size());
  EXPECT_EQ((std::vector<std::string>{"Não", "Sim"}), ui_.questions()[0].captions);
}

}  // namespace
}  // namespace host
