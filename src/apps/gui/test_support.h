#ifndef EXTRATO_APPS_GUI_TEST_SUPPORT_H_
#define EXTRATO_APPS_GUI_TEST_SUPPORT_H_

// What the Qt tests share: registration of test classes, a driver for the modal
// dialogs a test provokes, a watchdog for dialogs that stay open, and a host on a
// demonstration database.

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "apps/gui/desktop.h"

namespace gui::testing {

// Every test class registers itself; the test main runs them all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& Registry();
template <typename T>
bool Register() {
  Registry().push_back([] { return std::make_unique<T>(); });
  return true;
}

// Answers the modal dialogs that open while it lives, one scripted action per
// dialog, in order, and records what each showed. A dialog with no action left
// is recorded and rejected, so that a test never hangs on it.
class ModalDriver : public QObject {
 public:
  using Action = std::function<void(QWidget& dialog)>;
  struct Shown {
    QString title;
    QString text;  // every label's text, joined by newlines
  };

  ModalDriver();
  ModalDriver& Then(Action action);
  const std::vector<Shown>& Dialogs() const { return shown_; }
  // Texts of the dialogs shown so far.
  QStringList Texts() const;
  bool Done() const { return actions_.empty(); }

 private:
  void Poll();

  QTimer timer_;
  std::deque<Action> actions_;
  std::vector<Shown> shown_;
};

// Scripted answers.
ModalDriver::Action Accept();
ModalDriver::Action Reject();
// Clicks the dialog's button with this text.
ModalDriver::Action Press(const QString& caption);
// Types a path into a file dialog's name field, as a user would.
void TypeFileName(QWidget& file_dialog, const QString& path);

// Fails the running test and closes a modal dialog that stays open longer than
// the limit, naming it, so that no test waits on a dialog nobody answers. One
// lives for the whole test run.
class ModalWatchdog : public QObject {
 public:
  // Told the dialog's "title: text" after closing it; by default, fails the running test.
  using Report = std::function<void(const QString& dialog)>;
  explicit ModalWatchdog(int limit_ms = 10'000, Report report = FailRunningTest);
  // Every dialog the watchdog had to close, as "title: text".
  const QStringList& Closed() const { return closed_; }

  static void FailRunningTest(const QString& dialog);

 private:
  void Check();

  int limit_ms_;
  Report report_;
  QTimer timer_;
  QPointer<QWidget> watched_;
  qint64 since_ms_ = 0;
  QStringList closed_;
};

// The desktop host as a user starts it, on a new database with the application
// server embedded: with the demonstration banks and accounts, or empty.
class DemoHost {
 public:
  explicit DemoHost(bool with_demo_data = true);

  MainWindow& Window() { return desktop_->Window(); }
  // As the program starts: the import screen open.
  void Start() { desktop_->Start(); }
  // The SQLite database the host works on.
  std::string DatabaseUri() const { return "sqlite:" + dir_.filePath("extrato.db").toStdString(); }
  QtUiServices& Ui() { return desktop_->Ui(); }
  // The one screen window open, or null.
  ScreenWindow* Screen() const;
  // The widget of a control of the open screen.
  template <typename W>
  W* Widget(const char* name) const {
    return Screen() != nullptr ? Screen()->View().findChild<W*>(name) : nullptr;
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<Desktop> desktop_;
};

}  // namespace gui::testing

#endif  // EXTRATO_APPS_GUI_TEST_SUPPORT_H_
