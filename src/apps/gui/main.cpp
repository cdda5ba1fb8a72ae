// extrato-gui: the desktop host. Its menu opens the bank-statement import screen
// as a child window; the screen's module is loaded on first use.
#include <exception>
#include <memory>

#include <QApplication>
#include <QStatusBar>

#include "apps/gui/launch_options.h"
#include "apps/gui/main_window.h"
#include "apps/gui/qt_ui_services.h"
#include "apps/gui/server_link.h"
#include "host/application.h"

namespace {

constexpr int kExitError = 1;

// Registers the Qt services for as long as the window lives.
class UiRegistration {
 public:
  explicit UiRegistration(host::UiServices& ui) { host::GetApplication().SetUiServices(&ui); }
  ~UiRegistration() { host::GetApplication().SetUiServices(nullptr); }
};

}  // namespace

int main(int argc, char** argv) {
  gui::LaunchOptions options;
  // Help and usage errors need no display; Qt's own options are not known yet.
  if (auto status = gui::ParseLaunchOptions(argc, argv, options, true)) return *status;
  QApplication application(argc, argv);
  if (auto status = gui::ParseLaunchOptions(argc, argv, options)) return *status;

  gui::MainWindow window;
  gui::QtUiServices ui(window);
  UiRegistration registration(ui);
  std::unique_ptr<gui::ServerLink> server;
  try {
    server = std::make_unique<gui::ServerLink>(options);
  } catch (const std::exception& e) {
    ui.ShowMessage({host::DialogType::kError, e.what(), std::nullopt});
    return kExitError;
  }
  window.statusBar()->showMessage(QString::fromStdString(server->Description()));
  window.show();
  return application.exec();
}
