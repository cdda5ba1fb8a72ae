// extrato-gui: the desktop host. Its menu opens the bank-statement import screen
// as a child window; the screen's module is loaded on first use.
#include <exception>
#include <iostream>

#include <QApplication>

#include "apps/common/remote_reads.h"
#include "apps/gui/desktop.h"
#include "apps/gui/launch_options.h"
#include "apps/gui/message_dialogs.h"
#include "apps/gui/translations.h"

namespace {
constexpr int kExitError = 1;
}  // namespace

int main(int argc, char** argv) {
  gui::LaunchOptions options;
  // Help and usage errors need no display.
  if (auto status = gui::ParseLaunchOptions(argc, argv, options))
    return *status;
  if (auto notice = apps::UnusedDatabaseNotice(options.database_uri, options.server_url))
    std::cerr << *notice << "\n";
  // Qt takes its settings from its environment variables (QT_QPA_PLATFORM, ...),
  // not from a command line it would share with ours.
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  gui::InstallPortuguese(application);
  try {
    gui::Desktop desktop(options);
    desktop.Start();
    return application.exec();
  } catch (const std::exception& e) {
    std::cerr << "extrato-gui: " << e.what() << "\n";
    gui::ShowMessageBox(nullptr, {host::DialogType::kError, e.what(), std::nullopt});
    return kExitError;
  }
}
