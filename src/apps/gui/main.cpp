// extrato-gui: the desktop host. Its menu opens the bank-statement import screen
// as a child window; the screen's module is loaded on first use.
#include <exception>

#include <QApplication>

#include "apps/gui/desktop.h"
#include "apps/gui/launch_options.h"
#include "apps/gui/message_dialogs.h"

namespace {
constexpr int kExitError = 1;
}  // namespace

int main(int argc, char** argv) {
  gui::LaunchOptions options;
  // Help and usage errors need no display; Qt's own options are not known yet.
  if (auto status = gui::ParseLaunchOptions(argc, argv, options, true))
    return *status;
  QApplication application(argc, argv);
  if (auto status = gui::ParseLaunchOptions(argc, argv, options))
    return *status;
  try {
    gui::Desktop desktop(options);
    desktop.Window().show();
    return application.exec();
  } catch (const std::exception& e) {
    gui::ShowMessageBox(nullptr, {host::DialogType::kError, e.what(), std::nullopt});
    return kExitError;
  }
}
