#ifndef EXTRATO_APPS_CLI_TERMINAL_UI_H_
#define EXTRATO_APPS_CLI_TERMINAL_UI_H_

// The host's dialogs on a terminal: messages as text lines, questions answered
// from the command line or by the person at the terminal, the progress bar as
// a line redrawn in place.

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "apps/cli/import_report.h"
#include "apps/cli/progress_line.h"
#include "host/controls.h"
#include "host/ui_services.h"

namespace cli {

// How the screen's questions are answered.
enum class AnswerPolicy {
  kYes,  // always "Sim"
  kNo,   // always "Não"
  kAsk,  // the person at the terminal; "Não" when nobody can answer
};

struct TerminalUiOptions {
  AnswerPolicy answers = AnswerPolicy::kAsk;
  // Whether a person can answer at `input` (it is a terminal).
  bool interactive = false;
  std::istream* input = nullptr;
  // Where messages, questions and prompts are written.
  std::ostream* output = nullptr;
  // Where the progress is drawn; none: it is not drawn.
  ProgressLine* progress = nullptr;
  // Whether the person asked to stop (Ctrl-C); none: never.
  bool (*interrupted)() = nullptr;
  // Told when the submission starts and ends storing; none: nobody is.
  void (*storing)(bool) = nullptr;
};

inline constexpr const char* kInterruptedText = "Importação interrompida.";

class TerminalUi : public host::UiServices {
 public:
  explicit TerminalUi(TerminalUiOptions options) : options_(options) {}

  // The progress bar whose position Repaint draws.
  void WatchProgress(const host::ProgressBar* bar) { bar_ = bar; }
  // Names the message-table key of a text shown without one.
  void SetKeyLookup(std::function<std::optional<std::string>(const std::string&)> lookup) {
    key_of_ = std::move(lookup);
  }
  // Everything shown or asked, in order.
  const std::vector<ShownMessage>& Shown() const { return shown_; }
  // Adds a line under the last message shown.
  void AddDetail(const std::string& detail);
  // Whether the run was stopped at the person's request.
  bool StoppedByInterrupt() const { return stopped_; }

  void ShowMessage(const host::MessageDialog& message) override;
  int Ask(const host::Question& question) override;
  // A wait at the end of the reading is the submission: the progress line says so.
  // The last moment a Ctrl-C stops the run; after it the submission finishes.
  void ShowWait(int) override;
  void HideWait() override;
  // There is no dialog to choose a file in: the path comes from the command line.
  std::optional<std::string> ChooseFile(const host::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::size_t> PickRow(const host::SearchListRequest&) override {
    return std::nullopt;
  }
  void Repaint() override;
  void SetCursor(host::Cursor) override {}

 private:
  void Record(host::DialogType type, const std::string& text,
              const std::optional<std::string>& key);
  void ClearProgress();
  // At the person's request: says so and ends the running handler.
  void StopIfInterrupted();
  // The caption chosen: "Sim", "Não", or what the person typed.
  std::string Choose(const host::Question& question);
  std::string AskTerminal(const host::Question& question);

  TerminalUiOptions options_;
  const host::ProgressBar* bar_ = nullptr;
  std::function<std::optional<std::string>(const std::string&)> key_of_;
  std::vector<ShownMessage> shown_;
  bool stopped_ = false;
  // Between the submission's wait and its end.
  bool storing_ = false;
  // Ctrl-C came while the submission stored: this run no longer stops for it.
  bool stored_past_interrupt_ = false;
};

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_TERMINAL_UI_H_
