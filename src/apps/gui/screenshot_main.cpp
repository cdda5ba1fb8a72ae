// Takes the README's picture: the desktop host with the import screen open and a
// bank code typed in and left, as a user sees it. scripts/screenshot runs it
// under Xvfb on a demonstration database.
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "apps/gui/desktop.h"

namespace {

constexpr int kExitError = 1;
constexpr int kSettleMs = 300;

struct ShotOptions {
  std::string database_uri;
  std::string bank = "237";
  std::string output;
};

int TakeShot(const ShotOptions& options) {
  gui::Desktop desktop(gui::LaunchOptions{options.database_uri, ""});
  gui::MainWindow& window = desktop.Window();
  window.resize(640, 300);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window))
    throw std::runtime_error("janela não exibida");
  // Xvfb has no window manager to activate the window, and the focus moves only
  // in an active one.
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window))
    throw std::runtime_error("janela não ativada");
  window.ImportAction().trigger();
  auto* code = window.findChild<QLineEdit*>("medCdBanco");
  if (code == nullptr)
    throw std::runtime_error("a tela não abriu");
  QTest::keyClicks(code, QString::fromStdString(options.bank));
  QTest::keyClick(code, Qt::Key_Tab);
  QTest::qWait(kSettleMs);
  QPixmap shot = window.screen()->grabWindow(window.winId());
  if (!shot.save(QString::fromStdString(options.output))) {
    throw std::runtime_error("não foi possível gravar " + options.output);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ShotOptions options;
  CLI::App app{"Grava a imagem da tela de importação para o README.", "gui_screenshot"};
  app.add_option("output", options.output, "Arquivo PNG")->required();
  app.add_option("--db", options.database_uri, "Banco de dados com os dados de demonstração");
  app.add_option("--bank", options.bank, "Código do banco digitado")->capture_default_str();
  CLI11_PARSE(app, argc, argv);
  try {
    return TakeShot(options);
  } catch (const std::exception& e) {
    std::cerr << "gui_screenshot: " << e.what() << "\n";
    return kExitError;
  }
}
