#include "apps/cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "apps/cli/terminal_ui.h"
#include "host/exceptions.h"

namespace cli {
namespace {

constexpr int kStoringWait = 1;

// What the process writes on its standard error while this lives.
class CapturedStderr {
 public:
  CapturedStderr() {
    EXPECT_EQ(0, pipe(pipe_));
    saved_ = dup(STDERR_FILENO);
    dup2(pipe_[1], STDERR_FILENO);
  }
  ~CapturedStderr() { Restore(); }
  std::string Text() {
    Restore();
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(pipe_[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    close(pipe_[0]);
    return text;
  }

 private:
  void Restore() {
    if (saved_ < 0)
      return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    close(pipe_[1]);
    saved_ = -1;
  }
  int pipe_[2] = {-1, -1};
  int saved_ = -1;
};

TerminalUiOptions Watched(std::ostringstream& output) {
  TerminalUiOptions options;
  options.output = &output;
  options.interrupted = &InterruptWatch::Interrupted;
  options.storing = &InterruptWatch::Storing;
  return options;
}

TEST(InterruptTest, CtrlCBeforeTheSubmissionStopsTheRun) {
  std::ostringstream output;
  InterruptWatch watch;
  TerminalUi ui(Watched(output));
  raise(SIGINT);
  EXPECT_THROW(ui.ShowWait(kStoringWait), host::EAbort);
  EXPECT_TRUE(ui.StoppedByInterrupt());
  EXPECT_NE(std::string::npos, output.str().find(kInterruptedText));
}

TEST(InterruptTest, CtrlCWhileStoringIsAnsweredAtOnceAndTheStoringFinishes) {
  std::ostringstream output;
  CapturedStderr stderr_text;
  {
    InterruptWatch watch;
    TerminalUi ui(Watched(output));
    ui.ShowWait(kStoringWait);
    raise(SIGINT);
    ui.HideWait();
    EXPECT_NO_THROW(ui.ShowMessage({host::DialogType::kInformation, "Feito.", std::nullopt}));
    EXPECT_NO_THROW(ui.Repaint());
    EXPECT_FALSE(ui.StoppedByInterrupt());
    EXPECT_TRUE(InterruptWatch::Interrupted()) << "a batch of files stops after this one";
  }
  EXPECT_NE(std::string::npos, stderr_text.Text().find("A gravação já começou"));
}

}  // namespace
}  // namespace cli
