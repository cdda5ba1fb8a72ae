#include "apps/cli/terminal_ui.h"

#include <sstream>

#include <gtest/gtest.h>

#include "host/form.h"

namespace cli {
namespace {

const host::Question kMovJaImp{host::DialogType::kConfirmation,
                               "Já existe uma movimentação, deseja realizar a importação?",
                               {"Não", "Sim"},
                               std::nullopt};
constexpr int kNao = host::kFirstCaption;
constexpr int kSim = host::kFirstCaption + 1;

struct Terminal {
  explicit Terminal(AnswerPolicy answers, bool interactive = false, std::string typed = "")
      : input(std::move(typed)), ui({answers, interactive, &input, &output, nullptr}) {}
  std::istringstream input;
  std::ostringstream output;
  TerminalUi ui;
};

TEST(TerminalUiTest, MessagesAreWrittenWithTheirKindAndRecordedWithTheirKey) {
  Terminal terminal(AnswerPolicy::kNo);
  terminal.ui.SetKeyLookup([](const std::string& text) -> std::optional<std::string> {
    if (text == "Banco não cadastrado.")
      return "Banco_NCad";
    return std::nullopt;
  });
  terminal.ui.ShowMessage({host::DialogType::kError, "Banco não cadastrado.", std::nullopt});
  terminal.ui.ShowMessage({host::DialogType::kWarning, "Cuidado.", "Extrato_Ja_Imp"});
  terminal.ui.ShowMessage({host::DialogType::kInformation, "Feito.", std::nullopt});
  EXPECT_EQ("Erro: Banco não cadastrado.\nAviso: Cuidado.\nFeito.\n", terminal.output.str());
  const auto& shown = terminal.ui.Shown();
  ASSERT_EQ(3u, shown.size());
  EXPECT_EQ("Banco_NCad", shown[0].key);
  EXPECT_EQ("error", shown[0].kind);
  EXPECT_EQ("Extrato_Ja_Imp", shown[1].key);
  EXPECT_EQ("warning", shown[1].kind);
  EXPECT_EQ(std::nullopt, shown[2].key);
  EXPECT_EQ("Feito.", shown[2].text);
}

TEST(TerminalUiTest, QuestionsAreAnsweredByThePolicyAndRecorded) {
  Terminal yes(AnswerPolicy::kYes);
  EXPECT_EQ(kSim, yes.ui.Ask(kMovJaImp));
  Terminal no(AnswerPolicy::kNo, true, "s\n");
  EXPECT_EQ(kNao, no.ui.Ask(kMovJaImp)) << "--no wins over the terminal";
  EXPECT_EQ("Pergunta: " + kMovJaImp.text + "\nResposta: Não\n", no.output.str());
  ASSERT_EQ(1u, no.ui.Shown().size());
  EXPECT_EQ("question", no.ui.Shown()[0].kind);
  EXPECT_EQ(kMovJaImp.text, no.ui.Shown()[0].text);
}

TEST(TerminalUiTest, WithoutATerminalTheAnswerIsNao) {
  Terminal job(AnswerPolicy::kAsk, false, "sim\n");
  EXPECT_EQ(kNao, job.ui.Ask(kMovJaImp));
  EXPECT_EQ("sim\n", job.input.str()) << "nothing is read";
}

TEST(TerminalUiTest, TheTerminalAsksUntilACaptionIsNamed) {
  Terminal person(AnswerPolicy::kAsk, true, "talvez\n\nS\n");
  EXPECT_EQ(kSim, person.ui.Ask(kMovJaImp));
  EXPECT_EQ("Pergunta: " + kMovJaImp.text + "\n" +
                "Escolha (Não/Sim): Escolha (Não/Sim): Escolha (Não/Sim): Resposta: Sim\n",
            person.output.str());

  Terminal whole_word(AnswerPolicy::kAsk, true, "  Não \n");
  EXPECT_EQ(kNao, whole_word.ui.Ask(kMovJaImp));
  Terminal gone(AnswerPolicy::kAsk, true, "x\n");
  EXPECT_EQ(kNao, gone.ui.Ask(kMovJaImp)) << "the end of the input answers Não";
}

TEST(TerminalUiTest, RepaintDrawsTheWatchedBarAndHidingItClearsTheLine) {
  std::ostringstream err;
  std::chrono::steady_clock::time_point now{};
  ProgressLine progress(err, [&] { return now; });
  std::istringstream input;
  std::ostringstream output;
  TerminalUi ui({AnswerPolicy::kNo, false, &input, &output, &progress});
  host::Form form("frmTeste");
  host::ProgressBar bar(form, "pgbProgresso");
  bar.SetRange(0, 200);
  bar.SetVisible(false);
  ui.WatchProgress(&bar);

  ui.Repaint();
  EXPECT_EQ("", err.str()) << "a hidden bar draws nothing";
  bar.SetVisible(true);
  bar.SetPosition(100);
  ui.Repaint();
  EXPECT_NE(std::string::npos, err.str().find(" 50%"));
  std::size_t drawn = err.str().size();
  ui.ShowMessage({host::DialogType::kInformation, "Feito.", std::nullopt});
  EXPECT_GT(err.str().size(), drawn) << "the bar's line is erased before a message";
  EXPECT_EQ('\r', err.str().back());
  drawn = err.str().size();
  bar.SetVisible(false);
  ui.Repaint();
  EXPECT_EQ(drawn, err.str().size()) << "nothing left to erase";
}

}  // namespace
}  // namespace cli
