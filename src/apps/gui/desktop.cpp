#include "apps/gui/desktop.h"

#include <QStatusBar>

#include "host/application.h"

namespace gui {

Desktop::Desktop(const LaunchOptions& options)
    : server_(std::make_unique<ServerLink>(options)),
      window_(std::make_unique<MainWindow>()),
      ui_(std::make_unique<QtUiServices>(*window_)) {
  host::GetApplication().SetUiServices(ui_.get());
  window_->statusBar()->showMessage(QString::fromStdString(server_->Description()));
}

Desktop::~Desktop() {
  window_->close();
  if (&host::GetApplication().Ui() == ui_.get())
    host::GetApplication().SetUiServices(nullptr);
}

}  // namespace gui
