#include "apps/gui/main_window.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "apps/gui/test_support.h"
#include "host/application.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

namespace {

const QString kSampleDir = QDir::cleanPath(QStringLiteral(EXTRATO_SOURCE_DIR "/samples"));
const QString kBradesco = kSampleDir + QStringLiteral("/bradesco-200.txt");

// Records what a widget went through: shown, hidden, and, for a progress bar,
// the moment it reached its end.
class Trail : public QObject {
 public:
  explicit Trail(QWidget& widget) { widget.installEventFilter(this); }
  explicit Trail(QProgressBar& bar) : Trail(static_cast<QWidget&>(bar)) {
    connect(&bar, &QProgressBar::valueChanged, this, [this, &bar](int value) {
      if (value == bar.maximum() && !steps.contains("end"))
        steps << "end";
    });
  }
  QStringList steps;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show)
      steps << "shown";
    if (event->type() == QEvent::Hide)
      steps << "hidden";
    return false;
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { host_ = std::make_unique<DemoHost>(); }
  void cleanup() { host_.reset(); }

  void OpeningTwiceGivesOneChildRestoredWhenMinimized() {
    Open();
    ScreenWindow* first = host_->Screen();
    QCOMPARE(first->windowTitle(), QStringLiteral("Importação de Extrato Bancário"));
    QCOMPARE(first->View().size(), QSize(404, 116));
    QCOMPARE(first->minimumSize(), first->maximumSize());
    QVERIFY(!(first->windowFlags() & Qt::WindowMaximizeButtonHint));

    first->showMinimized();
    QVERIFY(first->isMinimized());
    host_->Window().ImportAction().trigger();
    QCOMPARE(host_->Window().ScreenWindows().size(), std::size_t{1});
    QCOMPARE(host_->Screen(), first);
    QVERIFY(!first->isMinimized());
    QCOMPARE(host_->Window().MdiArea().activeSubWindow(), first);
    QCOMPARE(first->View().size(), QSize(404, 116));
  }

  void ScreenRenderedAsDesigned() {
    Open();
    auto* code = Field("medCdBanco");
    QCOMPARE(code->maxLength(), 3);
    QCOMPARE(code->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::ToolTipBase));
    auto* name = Field("edtNmBanco");
    QVERIFY(!name->isEnabled());
    QCOMPARE(name->palette().color(QPalette::Disabled, QPalette::Base),
             QApplication::palette().color(QPalette::Button));
    auto* type = host_->Widget<QComboBox>("cbTipoConta");
    QCOMPARE(type->count(), 3);
    QCOMPARE(type->currentText(), QStringLiteral("Circulante"));
    QVERIFY(!type->isEditable());
    QVERIFY(host_->Widget<QProgressBar>("pgbProgresso")->isHidden());
    QCOMPARE(host_->Widget<QLabel>("lblCodTela")->text(), QStringLiteral("QAR62700"));
    for (const char* search : {"btnPesqBanco", "btnProcArq"}) {
      auto* button = host_->Widget<QToolButton>(search);
      QCOMPARE(button->toolTip(), QStringLiteral("Pesquisar"));
      QVERIFY(!button->icon().isNull());
    }
    auto* confirm = host_->Widget<QToolButton>("sbtConfirma");
    QVERIFY(confirm->mapTo(&host_->Screen()->View(), QPoint(0, 0)).x() >= 349);
    QCOMPARE(confirm->focusPolicy(), Qt::NoFocus);
  }

  void TabOrderAsDesigned() {
    Open();
    QTRY_VERIFY(Field("medCdBanco")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(host_->Widget<QComboBox>("cbTipoConta")->hasFocus());
  }

  void UnknownBankCodeShowsErrorAndKeepsFocus() {
    Open();
    ModalDriver driver;
    QTest::keyClicks(Field("medCdBanco"), "999");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
    QVERIFY2(driver.Texts()[0].startsWith(
                 QStringLiteral("Banco não cadastrado.\nBancos cadastrados: 001, 033, ")),
             qPrintable(driver.Texts()[0]));
    QVERIFY(driver.Texts()[0].endsWith(
        QStringLiteral("Para incluir o banco 999: menu Cadastros → Bancos → Incluir.")));
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Erro"));
    QTRY_VERIFY(Field("medCdBanco")->hasFocus());
    QCOMPARE(Field("edtNmBanco")->text(), QString());
  }

  void KnownBankCodeShowsTheName() {
    Open();
    ModalDriver driver;
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_COMPARE(Field("edtNmBanco")->text(), QStringLiteral("BANCO BRADESCO S.A."));
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QCOMPARE(driver.Dialogs().size(), std::size_t{0});
    // Any change of the code empties the name.
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Backspace);
    QCOMPARE(Field("edtNmBanco")->text(), QString());
  }

  void ConfirmWithoutFileAsksForIt() {
    Open();
    ModalDriver driver;
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
    QCOMPARE(driver.Texts(), QStringList{"Arquivo origem deve ser informado."});
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
  }

  void BankSearchFillsCodeAndName() {
    Open();
    QStringList headers;
    ModalDriver driver;
    driver.Then([&](QWidget& dialog) {
      auto* table = dialog.findChild<QTableWidget*>();
      for (int column = 0; column < table->columnCount(); ++column) {
        headers << table->horizontalHeaderItem(column)->text();
      }
      table->selectRow(table->findItems("237", Qt::MatchExactly).value(0)->row());
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::mouseClick(host_->Widget<QToolButton>("btnPesqBanco"), Qt::LeftButton);
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Banco"));
    QCOMPARE(headers, (QStringList{"Código", "Nome"}));
    QCOMPARE(Field("medCdBanco")->text(), QStringLiteral("237"));
    QCOMPARE(Field("edtNmBanco")->text(), QStringLiteral("BANCO BRADESCO S.A."));
  }

  void BankSearchOverNoBanksSaysSo() {
    host_.reset();
    host_ = std::make_unique<DemoHost>(false);
    Open();
    ModalDriver driver;
    QTest::mouseClick(host_->Widget<QToolButton>("btnPesqBanco"), Qt::LeftButton);
    QCOMPARE(driver.Texts(), QStringList{"Não há banco cadastrado."});
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Atenção"));
    QCOMPARE(Field("medCdBanco")->text(), QString());
  }

  void FileSearchFillsTheFieldAndRemembersTheFolder() {
    Open();
    QStringList folders;
    ModalDriver driver;
    auto choose = [&](QWidget& widget) {
      auto& dialog = static_cast<QFileDialog&>(widget);
      folders << dialog.directory().absolutePath();
      QCOMPARE(dialog.nameFilters(), QStringList{"Todos os Arquivos (*.*) (*)"});
      testing::TypeFileName(dialog, kBradesco);
      static_cast<QDialog&>(dialog).accept();
    };
    auto look = [&](QWidget& widget) {
      folders << static_cast<QFileDialog&>(widget).directory().absolutePath();
      static_cast<QDialog&>(widget).reject();
    };
    driver.Then(choose).Then(look);
    auto* search = host_->Widget<QToolButton>("btnProcArq");
    QTest::mouseClick(search, Qt::LeftButton);
    QCOMPARE(Field("edtNmArquivo")->text(), kBradesco);

    QTest::keyClick(Field("edtNmArquivo"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Field("edtNmArquivo"), Qt::Key_Backspace);
    QTest::mouseClick(search, Qt::LeftButton);
    QCOMPARE(driver.Dialogs()[1].title, QStringLiteral("Arquivo Origem"));
    // The second dialog starts in the folder of the file chosen first.
    QCOMPARE(folders.value(1), kSampleDir);
    // A cancel names the file chosen before, as the screen wants it.
    QCOMPARE(Field("edtNmArquivo")->text(), kBradesco);
  }

  // As if typed: the bank's exit handler fills its name too; a bank typed stays.
  void FileChosenWithTheBankEmptyNamesTheBank() {
    Open();
    const QString itau = kSampleDir + QStringLiteral("/itau-240.txt");
    ModalDriver driver;
    auto choose = [&](QWidget& dialog) {
      testing::TypeFileName(dialog, itau);
      static_cast<QDialog&>(dialog).accept();
    };
    driver.Then(choose).Then(choose);
    auto* search = host_->Widget<QToolButton>("btnProcArq");
    QTest::mouseClick(search, Qt::LeftButton);
    QTRY_COMPARE(Field("medCdBanco")->text(), QStringLiteral("341"));
    QCOMPARE(Field("edtNmBanco")->text(), QStringLiteral("ITAÚ UNIBANCO S.A."));

    QTest::keyClick(Field("medCdBanco"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTest::mouseClick(search, Qt::LeftButton);
    QTRY_VERIFY(driver.Done());
    QTest::qWait(50);
    QCOMPARE(Field("medCdBanco")->text(), QStringLiteral("237"));
  }

  void FullImportShowsProgressThenSuccess() {
    Open();
    auto* bar = host_->Widget<QProgressBar>("pgbProgresso");
    Trail progress(*bar);
    Trail wait(const_cast<WaitOverlay&>(host_->Ui().Wait()));
    bool bar_hidden_at_message = false;
    ModalDriver driver;
    driver.Then([&](QWidget& dialog) {
      bar_hidden_at_message = bar->isHidden();
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClicks(Field("edtNmArquivo"), kBradesco);
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);

    QCOMPARE(driver.Texts().size(), qsizetype{1});
    // The message, then the run's summary under it.
    QVERIFY(driver.Texts()[0].startsWith(QStringLiteral(
        "A importação de extrato bancário foi realizada com sucesso.\nConta "
        "corrente: 001\nExtrato 0000000001: saldo inicial 364.911,92 C em "
        "02/01/2024; saldo final 387.960,97 C em 28/01/2024; saldo confere\nMovimentos: 8 "
        "novos "
        "(gravados)")));
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Informação"));
    QCOMPARE(progress.steps, (QStringList{"shown", "end", "hidden"}));
    QVERIFY(bar_hidden_at_message);
    QVERIFY(wait.steps.contains("shown"));
    QVERIFY(!host_->Ui().Wait().isVisible());
  }

  void MissingModuleShownAsError() {
    MainWindow window("libQAR00000.so");
    ModalDriver driver;
    window.ImportAction().trigger();
    QCOMPARE(driver.Dialogs().size(), std::size_t{1});
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Erro"));
    QVERIFY(driver.Texts()[0].startsWith(
        QStringLiteral("Não foi possível carregar o módulo libQAR00000.so: ")));
    QVERIFY(window.ScreenWindows().empty());
  }

  void ClosedScreenOpensAsNewInstance() {
    Open();
    QTest::keyClicks(Field("medCdBanco"), "237");
    QPointer<ScreenWindow> first = host_->Screen();
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(host_->Window().ScreenWindows().empty());

    Open();
    QVERIFY(host_->Screen() != nullptr);
    QCOMPARE(Field("medCdBanco")->text(), QString());
    QCOMPARE(host_->Window().ScreenWindows().size(), std::size_t{1});
  }

 private:
  void Open() {
    host_->Window().ImportAction().trigger();
    QVERIFY(host_->Screen() != nullptr);
  }
  QLineEdit* Field(const char* name) const {
    QLineEdit* field = host_->Widget<QLineEdit>(name);
    if (field == nullptr)
      qFatal("no field %s", name);
    return field;
  }

  std::unique_ptr<DemoHost> host_;
};

static const bool registered = testing::Register<MainWindowTest>();

}  // namespace gui

#include "main_window_test.moc"
