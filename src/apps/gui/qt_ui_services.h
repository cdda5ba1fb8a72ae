#ifndef EXTRATO_APPS_GUI_QT_UI_SERVICES_H_
#define EXTRATO_APPS_GUI_QT_UI_SERVICES_H_

#include <functional>
#include <optional>
#include <string>

#include <QElapsedTimer>
#include <QWidget>

#include "apps/gui/wait_overlay.h"
#include "host/ui_services.h"

namespace gui {

// What the host application shows, in Qt widgets over the main window.
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
  // Handles pending paint and timer events, but no user input, so that a long
  // run shows its progress without anything else reaching the screen meanwhile.
  void Repaint() override;
  void SetCursor(host::Cursor cursor) override;

  const WaitOverlay& Wait() const { return *wait_; }

  // Where the host knows more than a message says: one line shown under it.
  using DetailProvider = std::function<std::optional<std::string>(const host::MessageDialog&)>;
  void SetMessageDetail(DetailProvider provider) { detail_ = std::move(provider); }

 private:
  void ReturnToMainWindow();

  QWidget* main_window_;
  WaitOverlay* wait_;  // owned by the main window
  int wait_depth_ = 0;
  bool hourglass_ = false;
  QElapsedTimer since_repaint_;
  DetailProvider detail_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_QT_UI_SERVICES_H_
