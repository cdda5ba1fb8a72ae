#include "apps/gui/main_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include "host/application.h"

namespace gui {

namespace {
constexpr const char* kImportEntry = "CriaImpExtBanc";
}  // namespace

MainWindow::MainWindow(std::string module_file, QWidget* parent)
    : QMainWindow(parent), module_file_(std::move(module_file)), mdi_(new QMdiArea) {
  setWindowTitle(QStringLiteral("Extrato"));
  setCentralWidget(mdi_);
  resize(800, 560);

  QMenu* file_menu = menuBar()->addMenu(QStringLiteral("&Arquivo"));
  QAction* quit = file_menu->addAction(QStringLiteral("&Sair"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);
  QMenu* finance = menuBar()->addMenu(QStringLiteral("&Financeiro"));
  import_action_ = finance->addAction(QStringLiteral("Importação de Extrato Bancário"), this,
                                      &MainWindow::OpenImportScreen);
  import_action_->setObjectName(QStringLiteral("actImpExtBanc"));

  // The activation event runs after Qt has finished switching windows.
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    QPointer<QMdiSubWindow> activated(window);
    QTimer::singleShot(0, this, [this, activated] {
      if (activated)
        Activated(activated);
    });
  });
}

std::vector<ScreenWindow*> MainWindow::ScreenWindows() const {
  std::vector<ScreenWindow*> windows;
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (auto* screen = qobject_cast<ScreenWindow*>(window))
      windows.push_back(screen);
  }
  return windows;
}

void MainWindow::OpenImportScreen() {
  host::GetApplication().Dispatch([this] {
    if (module_ == nullptr)
      module_ = std::make_unique<host::ScreenModule>(module_file_);
    module_->FindEntry(kImportEntry)();
  });
  ShowNewScreens();
}

// An entry creates its screen inside the module: the host learns of it from the
// application's list of screens.
void MainWindow::ShowNewScreens() {
  std::vector<ScreenWindow*> shown = ScreenWindows();
  for (const auto& form : host::GetApplication().Forms()) {
    bool has_window = std::any_of(shown.begin(), shown.end(), [&](ScreenWindow* window) {
      return window->Form() == form.get();
    });
    if (has_window || form->Released())
      continue;
    auto* window = new ScreenWindow(*form);
    mdi_->addSubWindow(window);
    window->FollowModel();
  }
}

void MainWindow::Activated(QMdiSubWindow* window) {
  auto* screen = qobject_cast<ScreenWindow*>(window);
  if (screen == nullptr || screen->Form() == nullptr)
    return;
  host::Form* form = screen->Form();
  screen->View().Run([form] { form->Activate(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  mdi_->closeAllSubWindows();
  std::vector<ScreenWindow*> windows = ScreenWindows();
  bool screen_open = std::any_of(windows.begin(), windows.end(),
                                 [](ScreenWindow* window) { return window->Form() != nullptr; });
  if (screen_open) {
    event->ignore();
  } else {
    event->accept();
  }
}

}  // namespace gui
