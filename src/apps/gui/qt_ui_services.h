#ifndef EXTRATO_APPS_GUI_QT_UI_SERVICES_H_
#define EXTRATO_APPS_GUI_QT_UI_SERVICES_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include "apps/gui/run_count.h"
#include "apps/gui/wait_overlay.h"
#include "host/controls.h"
#include "host/ui_services.h"

namespace gui {

// Said when the user cancels a run, as the command line says it on Ctrl-C.
inline constexpr const char* kRunCancelledText = "Importação interrompida.";

// What the host application shows, in Qt widgets over the main window. While a
// screen's progress bar shows, an import is reading its file: the wait box says
// how far it got and offers a Cancel (Esc too), which stops the run at its next
// line, before anything is stored.
class QtUiServices : public host::UiServices {
 public:
  explicit QtUiServices(QWidget& main_window);
  ~QtUiServices() override;
  QtUiServices(const QtUiServices&) = delete;
  QtUiServices& operator=(const QtUiServices&) = delete;

  void ShowMessage(const host::MessageDialog& message) override;
  int Ask(const host::Question& question) override;
  void ShowWait(int kind) override;
  void HideWait() override;
  std::optional<std::string> ChooseFile(const host::FileDialogRequest& request) override;
  std::optional<std::size_t> PickRow(const host::SearchListRequest& request) override;
  // Handles pending events, so that a long run shows its progress; of the user's
  // input only what goes to the run's Cancel gets through.
  void Repaint() override;
  void SetCursor(host::Cursor cursor) override;

  const WaitOverlay& Wait() const { return *wait_; }
  WaitOverlay& Wait() { return *wait_; }

  // Where the run's box reads the lines and movements read so far.
  void CountRunsWith(RunCount* count) { count_ = count; }

  // Where the host knows more than a message says: one line shown under it.
  using DetailProvider = std::function<std::optional<std::string>(const host::MessageDialog&)>;
  void SetMessageDetail(DetailProvider provider) { detail_ = std::move(provider); }

  // Told of a file chosen in the file dialog, once the handler that asked is done.
  using FileChosen = std::function<void(const std::string& path)>;
  void OnFileChosen(FileChosen told) { file_chosen_ = std::move(told); }

 private:
  void ReturnToMainWindow();
  // The progress bar of a screen that is running an import; null when none is.
  const host::ProgressBar* RunningBar() const;
  void FollowRun(const host::ProgressBar& bar);
  void EndRun();
  void StopIfCancelled();

  QWidget* main_window_;
  WaitOverlay* wait_;  // owned by the main window
  int wait_depth_ = 0;
  bool hourglass_ = false;
  QElapsedTimer since_repaint_;
  DetailProvider detail_;
  FileChosen file_chosen_;
  RunCount* count_ = nullptr;
  // While a run shows its box: the input guard, and the timer that notices the end.
  std::unique_ptr<QObject> run_guard_;
  QTimer run_end_;
  bool cancel_requested_ = false;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_QT_UI_SERVICES_H_
