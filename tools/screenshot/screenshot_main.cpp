// Takes the README's pictures: the desktop host with the import screen open, a
// statement imported, and the closing message with the run's summary, as a user
// sees it; or the imported statements with their balance chart. scripts/screenshot
// runs it under Xvfb on demonstration databases.
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "apps/gui/desktop.h"
#include "apps/gui/statements_window.h"
#include "apps/gui/translations.h"

namespace {

constexpr int kExitError = 1;
constexpr int kSettleMs = 300;

struct ShotOptions {
  std::string database_uri;
  std::string bank = "237";
  std::string file;  // imported when given
  std::string output;
  std::string statements_of;  // the account whose statements are shown, instead of the screen
};

void Save(const QPixmap& shot, const std::string& output) {
  if (!shot.save(QString::fromStdString(output)))
    throw std::runtime_error("não foi possível gravar " + output);
}

// The statements window over what is stored, every account's line in the chart,
// the pointer on the chosen account's line halfway through its period.
void TakeStatementsShot(gui::MainWindow& window, const ShotOptions& options) {
  gui::StatementsWindow& statements = window.OpenStatements();
  statements.resize(1000, 760);
  statements.ShowAccount(options.statements_of);
  statements.AllAccounts().setChecked(true);
  if (!QTest::qWaitForWindowExposed(&statements))
    throw std::runtime_error("janela de extratos não exibida");
  QTest::qWait(kSettleMs);
  QDate from = statements.From().date();
  QDate middle = from.addDays(from.daysTo(statements.To().date()) / 2);
  statements.Pointer().setText(statements.StatementOn(options.statements_of, middle));
  QTest::qWait(kSettleMs);
  Save(statements.grab(), options.output);
}

int TakeShot(const ShotOptions& options) {
  gui::Desktop desktop(gui::LaunchOptions{options.database_uri, "", ""});
  gui::MainWindow& window = desktop.Window();
  window.resize(720, 420);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window))
    throw std::runtime_error("janela não exibida");
  // Xvfb has no window manager to activate the window, and the focus moves only
  // in an active one.
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window))
    throw std::runtime_error("janela não ativada");
  if (!options.statements_of.empty()) {
    TakeStatementsShot(window, options);
    return 0;
  }
  window.ImportAction().trigger();
  auto* code = window.findChild<QLineEdit*>("medCdBanco");
  if (code == nullptr)
    throw std::runtime_error("a tela não abriu");
  QTest::keyClicks(code, QString::fromStdString(options.bank));
  QTest::keyClick(code, Qt::Key_Tab);
  QTest::qWait(kSettleMs);
  if (options.file.empty()) {
    Save(window.screen()->grabWindow(window.winId()), options.output);
    return 0;
  }
  QTest::keyClicks(window.findChild<QLineEdit*>("edtNmArquivo"),
                   QString::fromStdString(options.file));
  // The closing message is modal: it is taken, with the window behind it, while it shows.
  bool taken = false;
  QTimer::singleShot(kSettleMs * 3, [&] {
    QWidget* message = QApplication::activeModalWidget();
    QRect area = window.frameGeometry();
    if (message != nullptr)
      area = area.united(message->frameGeometry());
    Save(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
         options.output);
    taken = true;
    if (auto* dialog = qobject_cast<QDialog*>(message))
      dialog->accept();
  });
  QTest::mouseClick(window.findChild<QToolButton*>("sbtConfirma"), Qt::LeftButton);
  if (!taken)
    throw std::runtime_error("a importação terminou sem mensagem");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  gui::InstallPortuguese(application);
  ShotOptions options;
  CLI::App app{"Grava a imagem da tela de importação para o README.", "gui_screenshot"};
  app.add_option("output", options.output, "Arquivo PNG")->required();
  app.add_option("--db", options.database_uri, "Banco de dados com os dados de demonstração");
  app.add_option("--bank", options.bank, "Código do banco digitado")->capture_default_str();
  app.add_option("--file", options.file, "Arquivo de extrato importado");
  app.add_option("--extratos", options.statements_of,
                 "Mostra os extratos importados desta conta em vez da tela de importação");
  CLI11_PARSE(app, argc, argv);
  try {
    return TakeShot(options);
  } catch (const std::exception& e) {
    std::cerr << "gui_screenshot: " << e.what() << "\n";
    return kExitError;
  }
}
