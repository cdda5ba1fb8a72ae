#include "apps/gui/qt_ui_services.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QShortcutEvent>
#include <QTimer>

#include "apps/gui/file_dialog.h"
#include "apps/gui/message_dialogs.h"
#include "apps/gui/search_list_dialog.h"
#include "host/application.h"
#include "host/exceptions.h"

namespace gui {

namespace {

// A run repaints after every line; handling events that often would cost more
// than reading the lines. Twenty-five frames a second are plenty.
constexpr qint64 kRepaintIntervalMs = 40;
// How soon the box goes once the run is over.
constexpr int kRunEndCheckMs = 100;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

// Esc as a key, or as the shortcut the screen window makes of it.
bool IsEscape(const QEvent& event) {
  if (event.type() == QEvent::Shortcut)
    return static_cast<const QShortcutEvent&>(event).key() == QKeySequence(Qt::Key_Escape);
  return event.type() == QEvent::KeyPress &&
         static_cast<const QKeyEvent&>(event).key() == Qt::Key_Escape;
}

// While a run shows its box, the user reaches only its Cancel; Esc and closing
// the main window ask for it too. A question the run asks takes input as usual.
class RunInputGuard : public QObject {
 public:
  RunInputGuard(QWidget& main_window, const WaitOverlay& box, std::function<bool()> running,
                std::function<void()> cancel)
      : main_window_(&main_window),
        box_(&box),
        running_(std::move(running)),
        cancel_(std::move(cancel)) {}

  // A run that is over guards nothing, even before its box goes.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type()) || QApplication::activeModalWidget() != nullptr || !running_())
      return false;
    if (IsEscape(*event))
      cancel_();
    auto* widget = qobject_cast<QWidget*>(watched);
    // Windows pass input on to their widgets, which are judged then; shortcuts go
    // to actions, never to the box.
    if (widget == nullptr)
      return event->type() == QEvent::Shortcut;
    if (event->type() == QEvent::Close) {
      if (widget != main_window_)
        return false;
      event->ignore();
      cancel_();
      return true;
    }
    return !box_->Holds(widget) || IsEscape(*event);
  }

 private:
  QWidget* main_window_;
  const WaitOverlay* box_;
  std::function<bool()> running_;
  std::function<void()> cancel_;
};

}  // namespace

QtUiServices::QtUiServices(QWidget& main_window)
    : main_window_(&main_window), wait_(new WaitOverlay(main_window)) {
  QObject::connect(&wait_->CancelButton(), &QPushButton::clicked, main_window_,
                   [this] { cancel_requested_ = true; });
  run_end_.setInterval(kRunEndCheckMs);
  QObject::connect(&run_end_, &QTimer::timeout, main_window_, [this] {
    if (RunningBar() == nullptr)
      EndRun();
  });
}

QtUiServices::~QtUiServices() {
  EndRun();
  SetCursor(host::Cursor::kDefault);
}

void QtUiServices::ShowMessage(const host::MessageDialog& message) {
  // A message ends the run: its box does not stay behind it.
  EndRun();
  ShowMessageBox(main_window_, message, detail_ ? detail_(message) : std::nullopt);
  ReturnToMainWindow();
}

int QtUiServices::Ask(const host::Question& question) {
  StopIfCancelled();
  int answer = AskQuestion(main_window_, question);
  ReturnToMainWindow();
  return answer;
}

void QtUiServices::ShowWait(int kind) {
  ++wait_depth_;
  const host::ProgressBar* bar = run_guard_ ? RunningBar() : nullptr;
  if (bar == nullptr) {
    wait_->Start(kind);
  } else if (bar->Position() >= bar->Max()) {
    // The file is read: this wait is the submission, which is not stopped halfway.
    wait_->ShowRun(
        QStringLiteral("Gravando %1 movimento(s)...")
            .arg(QLocale().toString(static_cast<qulonglong>(count_ ? count_->Movements() : 0))),
        bar->Max(), bar->Max(), false);
  }
  // The work it announces blocks the event loop: the window under the box and the
  // box itself are painted now, without running any event meanwhile.
  main_window_->repaint();
}

void QtUiServices::HideWait() {
  if (wait_depth_ == 0)
    return;
  if (--wait_depth_ == 0 && !run_guard_)
    wait_->Stop();
}

std::optional<std::string> QtUiServices::ChooseFile(const host::FileDialogRequest& request) {
  std::optional<std::string> chosen = ChooseOpenFile(main_window_, request);
  ReturnToMainWindow();
  if (chosen && file_chosen_)
    QTimer::singleShot(0, main_window_, [told = file_chosen_, path = *chosen] { told(path); });
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
  if (const host::ProgressBar* bar = RunningBar())
    FollowRun(*bar);
  QApplication::processEvents(run_guard_ ? QEventLoop::AllEvents
                                         : QEventLoop::ExcludeUserInputEvents);
  StopIfCancelled();
}

const host::ProgressBar* QtUiServices::RunningBar() const {
  for (const auto& form : host::GetApplication().Forms()) {
    if (form->Released())
      continue;
    for (const host::Control* control : form->Controls()) {
      auto* bar = dynamic_cast<const host::ProgressBar*>(control);
      if (bar != nullptr && bar->Visible())
        return bar;
    }
  }
  return nullptr;
}

void QtUiServices::FollowRun(const host::ProgressBar& bar) {
  if (!run_guard_) {
    cancel_requested_ = false;
    run_guard_ = std::make_unique<RunInputGuard>(
        *main_window_, *wait_, [this] { return RunningBar() != nullptr; },
        [this] { cancel_requested_ = true; });
    qApp->installEventFilter(run_guard_.get());
    run_end_.start();
  }
  QLocale locale;
  QString text = count_ == nullptr
                     ? QStringLiteral("Lendo o arquivo...")
                     : QStringLiteral("Lendo o arquivo: linha %1, %2 movimento(s).")
                           .arg(locale.toString(static_cast<qulonglong>(count_->Line())),
                                locale.toString(static_cast<qulonglong>(count_->Movements())));
  auto scaled = [&bar](long long value) {
    return bar.Max() > 0 ? static_cast<int>(value * 1000 / bar.Max()) : 0;
  };
  wait_->ShowRun(text, scaled(bar.Position()), scaled(bar.Max()), true);
}

void QtUiServices::EndRun() {
  run_end_.stop();
  if (!run_guard_)
    return;
  qApp->removeEventFilter(run_guard_.get());
  run_guard_.reset();
  if (wait_depth_ == 0)
    wait_->Stop();
}

void QtUiServices::StopIfCancelled() {
  if (!cancel_requested_)
    return;
  cancel_requested_ = false;
  EndRun();
  ShowMessage({host::DialogType::kError, kRunCancelledText, std::nullopt});
  throw host::EAbort();
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
