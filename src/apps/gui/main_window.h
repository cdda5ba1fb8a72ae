#ifndef EXTRATO_APPS_GUI_MAIN_WINDOW_H_
#define EXTRATO_APPS_GUI_MAIN_WINDOW_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>

#include "apps/gui/registry_window.h"
#include "apps/gui/screen_window.h"
#include "apps/gui/statements_window.h"
#include "host/screen_module.h"

namespace importers {
class RunObserver;
}  // namespace importers

namespace gui {

// The host application's main window: a menu that opens the screens, and the
// MDI area they open in.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The import screen comes from `module_file`, loaded on first use.
  explicit MainWindow(std::string module_file = host::ScreenModulePath("libQAR62700.so"),
                      QWidget* parent = nullptr);

  QMdiArea& MdiArea() const { return *mdi_; }
  QAction& ImportAction() const { return *import_action_; }
  // "Financeiro" → "Simular importações (sem gravar)", checkable.
  QAction& PreviewAction() const { return *preview_action_; }
  std::vector<ScreenWindow*> ScreenWindows() const;

  // "Financeiro" → "Importação de Extrato Bancário": calls the module's entry,
  // which opens the screen or brings the open one forward.
  void OpenImportScreen();

  // Told what each line of the import screen's runs does, from the next opening
  // of the screen on.
  void WatchImportRuns(importers::RunObserver* observer) { run_observer_ = observer; }

  // The status bar's permanent fields, which menu hints do not cover.
  void ShowServer(const std::string& server, const std::string& database);
  QLabel& ServerField() const { return *server_field_; }
  QLabel& DatabaseField() const { return *database_field_; }

  // "Ajuda" → "Sobre": the program and its version.
  void ShowAbout();

  // "Cadastros" → "Bancos", ... and "Financeiro" → "Importações realizadas": opens
  // the list, or brings the open one forward with its rows read again.
  RegistryWindow& OpenRegistry(const RegistryKind& kind);
  // "Financeiro" → "Extratos importados": opens the window, or brings it forward.
  StatementsWindow& OpenStatements();

 protected:
  // Closes every screen first; a screen that stays open keeps the host open.
  void closeEvent(QCloseEvent* event) override;

 private:
  void TellPreview();
  void ShowNewScreens();
  void Activated(QMdiSubWindow* window);

  std::string module_file_;
  std::unique_ptr<host::ScreenModule> module_;
  QMdiArea* mdi_;
  QAction* import_action_;
  QAction* preview_action_;
  std::map<QString, QPointer<RegistryWindow>> registries_;
  QPointer<StatementsWindow> statements_;
  importers::RunObserver* run_observer_ = nullptr;
  QLabel* server_field_;
  QLabel* database_field_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_MAIN_WINDOW_H_
