#include "apps/gui/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "server/demo_data.h"

namespace gui::testing {

namespace {

constexpr int kPollMs = 10;
constexpr int kWatchdogPollMs = 100;
constexpr const char* kDrivenProperty = "extratoDriven";

QString LabelTexts(const QWidget& dialog) {
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (!label->text().isEmpty())
      texts << label->text();
  }
  return texts.join('\n');
}

}  // namespace

std::vector<TestFactory>& Registry() {
  static std::vector<TestFactory> registry;
  return registry;
}

ModalDriver::ModalDriver() {
  connect(&timer_, &QTimer::timeout, this, &ModalDriver::Poll);
  timer_.start(kPollMs);
}

ModalDriver& ModalDriver::Then(Action action) {
  actions_.push_back(std::move(action));
  return *this;
}

QStringList ModalDriver::Texts() const {
  QStringList texts;
  for (const Shown& shown : shown_)
    texts << shown.text;
  return texts;
}

void ModalDriver::Poll() {
  QWidget* dialog = QApplication::activeModalWidget();
  if (dialog == nullptr || dialog->property(kDrivenProperty).toBool())
    return;
  dialog->setProperty(kDrivenProperty, true);
  shown_.push_back({dialog->windowTitle(), LabelTexts(*dialog)});
  Action action = actions_.empty() ? Reject() : actions_.front();
  if (!actions_.empty())
    actions_.pop_front();
  action(*dialog);
}

ModalDriver::Action Accept() {
  return [](QWidget& dialog) { static_cast<QDialog&>(dialog).accept(); };
}

ModalDriver::Action Reject() {
  return [](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); };
}

ModalDriver::Action Press(const QString& caption) {
  return [caption](QWidget& dialog) {
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
      if (button->text() == caption) {
        button->click();
        return;
      }
    }
    static_cast<QDialog&>(dialog).reject();
  };
}

ModalWatchdog::ModalWatchdog(int limit_ms, Report report)
    : limit_ms_(limit_ms), report_(std::move(report)) {
  connect(&timer_, &QTimer::timeout, this, &ModalWatchdog::Check);
  timer_.start(kWatchdogPollMs);
}

void ModalWatchdog::Check() {
  QWidget* dialog = QApplication::activeModalWidget();
  qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (dialog != watched_) {
    watched_ = dialog;
    since_ms_ = now;
    return;
  }
  if (dialog == nullptr || now - since_ms_ < limit_ms_)
    return;
  QString name = dialog->windowTitle() + QStringLiteral(": ") + LabelTexts(*dialog);
  closed_ << name;
  watched_ = nullptr;
  if (auto* modal = qobject_cast<QDialog*>(dialog))
    modal->done(QDialog::Rejected);
  else
    dialog->close();
  report_(name);
}

void ModalWatchdog::FailRunningTest(const QString& dialog) {
  QTest::qFail(qPrintable(QStringLiteral("o diálogo \"%1\" ficou aberto sem resposta").arg(dialog)),
               __FILE__, __LINE__);
}

// Not selectFile(): while the dialog's name field has the focus it selects only
// through the file model, which fills in the background, so an accept right after
// it races the model and may find no file chosen.
void TypeFileName(QWidget& file_dialog, const QString& path) {
  auto* name = file_dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (name == nullptr)
    qFatal("the file dialog has no name field");
  name->setText(path);
}

DemoHost::DemoHost(bool with_demo_data) {
  std::string uri = DatabaseUri();
  if (with_demo_data)
    server::LoadDemo(uri);
  desktop_ = std::make_unique<Desktop>(LaunchOptions{uri, "", ""});
  Window().show();
  QApplication::setActiveWindow(&Window());
  if (!QTest::qWaitForWindowActive(&Window()))
    qFatal("the main window never became active");
}

ScreenWindow* DemoHost::Screen() const {
  for (ScreenWindow* window : desktop_->Window().ScreenWindows()) {
    if (window->Form() != nullptr)
      return window;
  }
  return nullptr;
}

}  // namespace gui::testing
