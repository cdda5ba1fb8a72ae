#include "apps/gui/main_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

#include "apps/common/version.h"
#include "host/application.h"
#include "host/config.h"

namespace gui {

namespace {
constexpr const char* kImportEntry = "CriaImpExtBanc";
constexpr const char* kWatchRunsEntry = "DefObservadorImportacao";
constexpr const char* kPreviewEntry = "DefSimulacaoImportacao";
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
  preview_action_ = finance->addAction(QStringLiteral("Simular importações (sem gravar)"));
  preview_action_->setObjectName(QStringLiteral("actSimular"));
  preview_action_->setCheckable(true);
  // The open import screen's next run follows the choice.
  connect(preview_action_, &QAction::toggled, this,
          [this] { host::GetApplication().Dispatch([this] { TellPreview(); }); });
  finance
      ->addAction(QStringLiteral("Importações realizadas"), this,
                  [this] { OpenRegistry(ImportsKind()); })
      ->setObjectName(QStringLiteral("actImportacoes"));
  finance->addAction(QStringLiteral("Extratos importados"), this, [this] { OpenStatements(); })
      ->setObjectName(QStringLiteral("actExtratos"));
  QMenu* registry = menuBar()->addMenu(QStringLiteral("&Cadastros"));
  registry->addAction(QStringLiteral("Bancos"), this, [this] { OpenRegistry(BanksKind()); })
      ->setObjectName(QStringLiteral("actBancos"));
  registry
      ->addAction(QStringLiteral("Contas correntes"), this,
                  [this] { OpenRegistry(AccountsKind()); })
      ->setObjectName(QStringLiteral("actContas"));
  registry
      ->addAction(QStringLiteral("Layouts por banco"), this,
                  [this] { OpenRegistry(LayoutsKind(host::Config().empresa)); })
      ->setObjectName(QStringLiteral("actLayouts"));
  QMenu* help = menuBar()->addMenu(QStringLiteral("Aj&uda"));
  help->addAction(QStringLiteral("&Sobre o Extrato"), this, &MainWindow::ShowAbout)
      ->setObjectName(QStringLiteral("actSobre"));

  server_field_ = new QLabel;
  database_field_ = new QLabel;
  statusBar()->addPermanentWidget(server_field_);
  statusBar()->addPermanentWidget(database_field_, 1);

  // The activation event runs after Qt has finished switching windows.
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    QPointer<QMdiSubWindow> activated(window);
    QTimer::singleShot(0, this, [this, activated] {
      if (activated)
        Activated(activated);
    });
  });
}

void MainWindow::ShowServer(const std::string& server, const std::string& database) {
  server_field_->setText(QString::fromStdString(server));
  database_field_->setText(
      QStringLiteral("Banco de dados: %1").arg(QString::fromStdString(database)));
}

RegistryWindow& MainWindow::OpenRegistry(const RegistryKind& kind) {
  QPointer<RegistryWindow>& window = registries_[kind.object_name];
  if (window == nullptr) {
    window = new RegistryWindow(kind, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    window->Reload();
  }
  window->show();
  window->raise();
  window->activateWindow();
  return *window;
}

StatementsWindow& MainWindow::OpenStatements() {
  if (statements_ == nullptr) {
    statements_ = new StatementsWindow(this);
    statements_->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    statements_->Reload();
  }
  statements_->show();
  statements_->raise();
  statements_->activateWindow();
  return *statements_;
}

void MainWindow::ShowAbout() {
  QMessageBox::about(
      this, QStringLiteral("Sobre o Extrato"),
      QStringLiteral("<b>Extrato %1</b><p>Importação de extratos bancários: arquivos CNAB de 200 "
                     "e 240 colunas, contas correntes e histórico das importações.</p>")
          .arg(QString::fromUtf8(apps::kVersion)));
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
    if (run_observer_ != nullptr) {
      auto watch =
          reinterpret_cast<void (*)(importers::RunObserver*)>(module_->FindEntry(kWatchRunsEntry));
      watch(run_observer_);
    }
    TellPreview();
  });
  ShowNewScreens();
}

// Only a screen the module has open takes it; a screen opened later is told then.
void MainWindow::TellPreview() {
  if (module_ == nullptr)
    return;
  auto tell = reinterpret_cast<void (*)(bool)>(module_->FindEntry(kPreviewEntry));
  tell(preview_action_->isChecked());
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
