#include "apps/gui/registry_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "apps/common/version.h"
#include "apps/gui/test_support.h"
#include "apps/gui/translations.h"
#include "server/users.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

namespace {

const QString kBradesco = QStringLiteral(EXTRATO_SOURCE_DIR "/samples/bradesco-200.txt");

// Types into the form's fields, in order, and saves it.
ModalDriver::Action FillForm(QStringList values) {
  return [values](QWidget& form) {
    for (int i = 0; i < values.size(); ++i) {
      QWidget* editor = form.findChild<QWidget*>(QStringLiteral("campo%1").arg(i));
      if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(values[i]);
      } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
        box->setCurrentText(values[i]);
      }
    }
    testing::Press(QStringLiteral("Gravar"))(form);
  };
}

}  // namespace

class RegistryWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { host_.reset(); }

  void BankAndAccountRegisteredThroughTheMenu() {
    host_ = std::make_unique<DemoHost>(false);
    RegistryWindow& banks = Open("actBancos", "wndBancos");
    ModalDriver driver;
    driver.Then(FillForm({"237", "BANCO BRADESCO S.A.", "237", "9999999-9"}));
    QTest::mouseClick(banks.findChild<QPushButton*>("btnIncluir"), Qt::LeftButton);
    QCOMPARE(banks.Table().rowCount(), 1);
    QCOMPARE(banks.Table().item(0, 1)->text(), QStringLiteral("BANCO BRADESCO S.A."));

    RegistryWindow& accounts = Open("actContas", "wndContas");
    driver.Then(FillForm({"001", "237", "3509", "123456789-0", "Circulante", "MINHA C/C"}))
        .Then(testing::Accept())
        .Then(FillForm({"001", "237", "3509", "0012566-8", "Circulante", "MINHA C/C"}));
    QTest::mouseClick(accounts.findChild<QPushButton*>("btnIncluir"), Qt::LeftButton);
    QVERIFY(driver.Done());
    QCOMPARE(driver.Texts().value(2),
             QStringLiteral("O número da conta \"123456789-0\" tem 10 dígitos; a máscara do banco "
                            "237 (9999999-9) tem 8."));
    QCOMPARE(accounts.Table().rowCount(), 1);
    QCOMPARE(accounts.Table().item(0, 3)->text(), QStringLiteral("0012566-8"));

    // Longer than the field: refused with the reason, never cut and stored.
    driver.Then(FillForm({"002", "237", "1234-5", "1-9", "Circulante", "CORTADA"}))
        .Then(testing::Accept())
        .Then(testing::Reject());
    QTest::mouseClick(accounts.findChild<QPushButton*>("btnIncluir"), Qt::LeftButton);
    QVERIFY(driver.Done());
    QCOMPARE(driver.Texts().value(5),
             QStringLiteral("A agência da conta tem no máximo 5 caracteres: \"1234-5\" tem 6."));
    QCOMPARE(accounts.Table().rowCount(), 1);
    QCOMPARE(accounts.Table().item(0, 4)->text(), QStringLiteral("Circulante"));

    QCOMPARE(banks.Remove("237").value_or(""),
             std::string("O banco 237 não pode ser excluído: tem 1 conta(s) corrente(s) "
                         "cadastrada(s); exclua-as antes."));
    QCOMPARE(banks.Table().rowCount(), 1);
  }

  void ImportListedAndUndoneFromTheHistory() {
    host_ = std::make_unique<DemoHost>();
    ImportBradesco();
    RegistryWindow& history = Open("actImportacoes", "wndImportacoes");
    QCOMPARE(history.Table().rowCount(), 1);
    QCOMPARE(history.Table().item(0, 2)->text(), QStringLiteral("bradesco-200.txt"));
    QCOMPARE(history.Table().item(0, 2)->toolTip(), kBradesco);
    QCOMPARE(history.Table().item(0, 4)->text(), QStringLiteral("001"));
    QCOMPARE(history.Table().item(0, 6)->text(), QStringLiteral("02/01/2024"));
    QCOMPARE(history.Table().item(0, 8)->text(), QStringLiteral("8"));
    const QString me = QString::fromStdString(server::LocalCaller().name);
    QCOMPARE(history.Table().item(0, 9)->text(), me);
    QCOMPARE(history.Table().item(0, 10)->text(), QString());
    QVERIFY(QTest::qWaitForWindowExposed(&history));
    QTableWidget& table = history.Table();
    int last = table.columnCount() - 1;
    QVERIFY2(
        table.columnViewportPosition(last) + table.columnWidth(last) <= table.viewport()->width(),
        qPrintable(QStringLiteral("every column in sight: %1 + %2 > %3 (window %4)")
                       .arg(table.columnViewportPosition(last))
                       .arg(table.columnWidth(last))
                       .arg(table.viewport()->width())
                       .arg(history.width())));

    history.Table().selectRow(0);
    ModalDriver driver;
    driver.Then(testing::Press(QStringLiteral("Sim"))).Then(testing::Accept());
    QTest::mouseClick(history.findChild<QPushButton*>("btnExcluir"), Qt::LeftButton);
    QVERIFY(driver.Done());
    QVERIFY2(driver.Texts().value(0).startsWith(QStringLiteral(
                 "Desfazer a importação 1 (arquivo bradesco-200.txt, conta 001, 8 movimento(s))?")),
             qPrintable(driver.Texts().value(0)));
    QCOMPARE(driver.Texts().value(1),
             QStringLiteral("Importação 1 desfeita: 8 movimento(s) e 1 extrato(s) excluídos."));
    QVERIFY2(!history.Table().item(0, 10)->text().isEmpty(), "undone, with its time");
    QCOMPARE(history.Table().item(0, 11)->text(), me);
    QCOMPARE(history.Table().item(0, 6)->text(), QStringLiteral("02/01/2024"));  // kept
  }

  void PreviewSwitchLeavesTheOpenScreenOpen() {
    host_ = std::make_unique<DemoHost>();
    host_->Window().ImportAction().trigger();
    QPointer<ScreenWindow> screen = host_->Screen();
    host_->Window().PreviewAction().setChecked(true);
    QTest::qWait(50);
    QVERIFY(!screen.isNull() && screen->Form() != nullptr);
    ModalDriver driver;
    driver.Then(testing::Accept());
    ImportBradesco(false);
    QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
    QVERIFY(driver.Texts()[0].contains(
        QStringLiteral("Simulação: nada foi gravado no banco de dados.")));
    host_->Window().PreviewAction().setChecked(false);
    QTest::qWait(50);
    QCOMPARE(host_->Screen(), screen.data());
  }

  void UnknownAccountMessageSaysWhatWasLookedUpAndWhereToRegisterIt() {
    host_ = std::make_unique<DemoHost>();
    Open("actContas", "wndContas").Remove("001");
    ModalDriver driver;
    driver.Then(testing::Accept());
    ImportBradesco(false);
    QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
    QCOMPARE(driver.Texts()[0],
             QStringLiteral("Conta corrente não cadastrada.\nProcurada: banco 237, agência 3509, "
                            "conta 0012566-8, tipo Circulante. Para cadastrá-la: menu Cadastros → "
                            "Contas correntes → Incluir."));
  }

  void PreviewTellsWhatTheImportWouldDoAndStoresNothing() {
    host_ = std::make_unique<DemoHost>();
    host_->Window().PreviewAction().setChecked(true);
    {
      ModalDriver driver;
      driver.Then(testing::Accept());
      ImportBradesco(false);
      QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
      QVERIFY2(driver.Texts()[0].contains(QStringLiteral("Movimentos: 8 novos (não gravados)")),
               qPrintable(driver.Texts()[0]));
      QVERIFY(driver.Texts()[0].contains(
          QStringLiteral("Simulação: nada foi gravado no banco de dados.")));
      QVERIFY(!driver.Texts()[0].contains(QStringLiteral("Aviso")));
      RegistryWindow& history = Open("actImportacoes", "wndImportacoes");
      QCOMPARE(history.Table().rowCount(), 0);
      history.close();
      QApplication::setActiveWindow(&host_->Window());
    }

    // The open screen stays, and its next run stores.
    QCOMPARE(host_->Window().MdiArea().subWindowList().size(), qsizetype{1});
    host_->Window().PreviewAction().setChecked(false);
    QCOMPARE(host_->Window().MdiArea().subWindowList().size(), qsizetype{1});
    host_->Screen()->close();  // from a new screen, as a user starts again
    QTRY_VERIFY(host_->Screen() == nullptr);
    ImportBradesco();
    QCOMPARE(Open("actImportacoes", "wndImportacoes").Table().rowCount(), 1);
  }

  void StatusFieldsStayWhenAMenuShowsItsTip() {
    host_ = std::make_unique<DemoHost>(false);
    MainWindow& window = host_->Window();
    QCOMPARE(window.ServerField().text(), QStringLiteral("Servidor: embutido (sem porta)"));
    QVERIFY(window.DatabaseField().text().startsWith(QStringLiteral("Banco de dados: sqlite:")));
    window.statusBar()->showMessage(QStringLiteral("dica do menu"));
    window.statusBar()->clearMessage();
    QVERIFY(window.ServerField().isVisible());
    QVERIFY(window.DatabaseField().isVisible());
  }

  void AboutShowsTheVersion() {
    host_ = std::make_unique<DemoHost>(false);
    ModalDriver driver;
    driver.Then(testing::Accept());
    host_->Window().findChild<QAction*>("actSobre")->trigger();
    QVERIFY(driver.Texts().value(0).contains(QStringLiteral("Extrato %1").arg(apps::kVersion)));
  }

  void QtDialogsSpeakPortuguese() {
    QTranslator* translator = InstallPortuguese(*qApp);
    QVERIFY2(translator != nullptr, "qt6-translations-l10n is not installed");
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancelar"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }

 private:
  RegistryWindow& Open(const char* action, const char* window) {
    host_->Window().findChild<QAction*>(action)->trigger();
    auto* opened = host_->Window().findChild<RegistryWindow*>(window);
    if (opened == nullptr)
      qFatal("no window %s", window);
    return *opened;
  }

  // The sample statement through the screen, as a user imports it.
  void ImportBradesco(bool expect_success = true) {
    host_->Window().ImportAction().trigger();
    auto* bank = host_->Widget<QLineEdit>("medCdBanco");
    auto* file = host_->Widget<QLineEdit>("edtNmArquivo");
    QTest::keyClicks(bank, "237");
    QTest::keyClick(bank, Qt::Key_Tab);
    QTRY_VERIFY(file->hasFocus());
    QTest::keyClicks(file, kBradesco);
    if (!expect_success) {
      QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
      return;
    }
    ModalDriver driver;
    driver.Then(testing::Accept());
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
    QVERIFY(driver.Texts().value(0).startsWith(
        QStringLiteral("A importação de extrato bancário foi realizada com sucesso.")));
  }

  std::unique_ptr<DemoHost> host_;
};

static const bool registered = testing::Register<RegistryWindowTest>();

}  // namespace gui

#include "registry_window_test.moc"
