#ifndef EXTRATO_APPS_GUI_DESKTOP_H_
#define EXTRATO_APPS_GUI_DESKTOP_H_

#include <memory>

#include "apps/common/import_summary.h"
#include "apps/common/message_detail.h"
#include "apps/gui/launch_options.h"
#include "apps/gui/main_window.h"
#include "apps/gui/qt_ui_services.h"
#include "apps/gui/run_count.h"
#include "apps/gui/server_link.h"

namespace gui {

// The desktop host put together: the link to the application server, the main
// window, and its Qt services registered with the host application.
class Desktop {
 public:
  // Throws what ServerLink throws, before any window exists.
  explicit Desktop(const LaunchOptions& options);
  // Closes the screens while their server still runs.
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Shows the main window with the import screen open: the one screen of this
  // host, and what the user came for.
  void Start();

  MainWindow& Window() const { return *window_; }
  QtUiServices& Ui() const { return *ui_; }

 private:
  apps::DetailContext DetailContext() const;
  // A file chosen while the screen's bank field is empty names the bank, typed into
  // the field as a user would; a bank typed already stays.
  void FillBankFromFile(const std::string& path);
  // What the run that showed `message` did, once; nothing when no run is told.
  std::optional<std::string> RunSummary(const apps::DetailContext& context, bool succeeded);

  std::unique_ptr<ServerLink> server_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QtUiServices> ui_;
  apps::ImportSummary summary_;
  RunCount count_{summary_};  // told first, for the run's progress box
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_DESKTOP_H_
