#include "apps/gui/qt_ui_services.h"

#include <QApplication>

#include "apps/gui/file_dialog.h"
#include "apps/gui/message_dialogs.h"
#include "apps/gui/search_list_dialog.h"

namespace gui {

namespace {
// A run repaints after every line; handling events that often would cost more
// than reading the lines. Twenty-five frames a second are plenty.
constexpr qint64 kRepaintIntervalMs = 40;
}  // namespace

QtUiServices::QtUiServices(QWidget& main_window)
    : main_window_(&main_window), wait_(new WaitOverlay(main_window)) {}

QtUiServices::~QtUiServices() {
  SetCursor(host::Cursor::kDefault);
}

void QtUiServices::ShowMessage(const host::MessageDialog& message) {
  ShowMessageBox(main_window_, message, detail_ ? detail_(message) : std::nullopt);
  ReturnToMainWindow();
}

int QtUiServices::Ask(const host::Question& question) {
  int answer = AskQuestion(main_window_, question);
  ReturnToMainWindow();
  return answer;
}

void QtUiServices::ShowWait(int kind) {
  ++wait_depth_;
  wait_->Start(kind);
  // The work it announces blocks the event loop: the window under the box and the
  // box itself are painted now, without running any event meanwhile.
  main_window_->repaint();
}

void QtUiServices::HideWait() {
  if (wait_depth_ == 0)
    return;
  if (--wait_depth_ == 0)
    wait_->Stop();
}

std::optional<std::string> QtUiServices::ChooseFile(const host::FileDialogRequest& request) {
  std::optional<std::string> chosen = ChooseOpenFile(main_window_, request);
  ReturnToMainWindow();
  return chosen;
}

std::optional<std::size_t> QtUiServices::PickRow(const host::SearchListRequest& request) {
  std::optional<std::size_t> picked = PickFromList(main_window_, request);
  ReturnToMainWindow();
  return picked;
}

// Without a window manager to hand it back, a closed dialog leaves no window
// active, and the focus the screen puts back in a field would never show.
void QtUiServices::ReturnToMainWindow() {
  if (QApplication::activeWindow() == nullptr && main_window_->isVisible()) {
    main_window_->activateWindow();
  }
}

void QtUiServices::Repaint() {
  if (since_repaint_.isValid() && since_repaint_.elapsed() < kRepaintIntervalMs)
    return;
  since_repaint_.start();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUiServices::SetCursor(host::Cursor cursor) {
  bool hourglass = cursor == host::Cursor::kHourGlass;
  if (hourglass == hourglass_)
    return;
  hourglass_ = hourglass;
  if (hourglass) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace gui
