#include "apps/gui/desktop.h"

#include <iostream>
#include <sstream>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#include "apps/gui/launch_options.h"
#include "apps/gui/test_support.h"
#include "apps/gui/translations.h"
#include "host/soci.h"
#include "server/database.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

namespace {

const QString kBradesco = QStringLiteral(EXTRATO_SOURCE_DIR "/samples/bradesco-200.txt");

// The Bradesco example with `movements` movements, long enough to be still reading
// when the user cancels.
QString LargeBradescoFile(const QString& folder, int movements) {
  QFile sample(kBradesco);
  sample.open(QIODevice::ReadOnly);
  QStringList lines = QString::fromUtf8(sample.readAll()).split(QStringLiteral("\r\n"));
  QString path = folder + QStringLiteral("/grande.txt");
  QFile out(path);
  out.open(QIODevice::WriteOnly);
  QTextStream text(&out);
  text << lines[0] << "\n" << lines[1] << "\n";
  QString movement = lines[2];
  for (int i = 0; i < movements; ++i)
    text << movement.replace(74, 6, QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))) << "\n";
  text << lines[10] << "\n" << lines[11] << "\n";
  return path;
}

int Count(const std::string& uri, const std::string& table) {
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(uri));
  int count = 0;
  sql << "SELECT COUNT(*) FROM " + table, soci::into(count);
  return count;
}

}  // namespace

// What a new user meets in the desktop: a screen that explains itself and never
// traps or freezes them.
class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { host_.reset(); }

  void StartsOnTheImportScreenWhoseButtonsSayWhatTheyDo() {
    host_ = std::make_unique<DemoHost>();
    host_->Start();
    QVERIFY(host_->Screen() != nullptr);
    auto* confirm = host_->Widget<QToolButton>("sbtConfirma");
    QCOMPARE(confirm->accessibleName(), QStringLiteral("Confirmar importação"));
    QCOMPARE(confirm->toolTip(), QStringLiteral("Confirmar importação (Ctrl+Return)"));
    QVERIFY(!host_->Widget<QLabel>("lblCodTela")->toolTip().isEmpty());

    QTest::keyClicks(Field("medCdBanco"), "033");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    const QString name = QStringLiteral("BANCO SANTANDER (BRASIL) S.A.");
    QTRY_COMPARE(Field("edtNmBanco")->text(), name);
    QCOMPARE(Field("edtNmBanco")->cursorPosition(), 0);  // its start shown, not its end
    QVERIFY(Field("edtNmBanco")->toolTip() == name || Fits(*Field("edtNmBanco")));
  }

  void CtrlEnterConfirms() {
    host_ = std::make_unique<DemoHost>();
    host_->Start();
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClicks(Field("edtNmArquivo"), kBradesco);
    ModalDriver driver;
    driver.Then(testing::Accept());
    QTest::keyClick(Field("edtNmArquivo"), Qt::Key_Return, Qt::ControlModifier);
    QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
    QVERIFY(driver.Texts()[0].startsWith(
        QStringLiteral("A importação de extrato bancário foi realizada com sucesso.")));
  }

  void EscapeOrClosingLeavesAWrongPath() {
    host_ = std::make_unique<DemoHost>();
    host_->Start();
    ModalDriver driver;
    EnterWrongPath();
    QTRY_COMPARE(driver.Texts().size(), qsizetype{1});
    QVERIFY(driver.Texts()[0].startsWith(QStringLiteral("Arquivo não existe.")));
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClick(Field("edtNmArquivo"), Qt::Key_Escape);
    QTRY_VERIFY(host_->Screen() == nullptr);
    QCOMPARE(driver.Texts().size(), qsizetype{1});  // no second complaint on the way out

    host_->Start();
    EnterWrongPath();
    QTRY_COMPARE(driver.Texts().size(), qsizetype{2});
    host_->Screen()->close();
    QTRY_VERIFY(host_->Screen() == nullptr);
    QCOMPARE(driver.Texts().size(), qsizetype{2});
  }

  void CancelInTheProgressBoxStopsTheRunWithNothingStored() {
    host_ = std::make_unique<DemoHost>();
    host_->Start();
    QString file = LargeBradescoFile(folder_.path(), 300000);
    QTest::keyClicks(Field("medCdBanco"), "237");
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClicks(Field("edtNmArquivo"), file);
    QString progress;
    bool menu_took_input = false;
    // Pressed while the run reads: the box shows how far it got.
    QTimer::singleShot(1500, [&] {
      WaitOverlay& box = host_->Ui().Wait();
      progress = box.Text();
      QTest::mouseClick(host_->Window().menuBar(), Qt::LeftButton, {}, QPoint(10, 5));
      menu_took_input = QApplication::activePopupWidget() != nullptr;
      QTest::mouseClick(&box.CancelButton(), Qt::LeftButton);
    });
    ModalDriver driver;
    driver.Then(testing::Accept());
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
    QVERIFY2(progress.startsWith(QStringLiteral("Lendo o arquivo: linha ")), qPrintable(progress));
    QVERIFY2(progress.contains(QStringLiteral(" movimento(s).")), qPrintable(progress));
    QVERIFY(!menu_took_input);
    QCOMPARE(driver.Texts(), QStringList{"Importação interrompida.\nNada foi gravado."});
    QTRY_VERIFY(!host_->Ui().Wait().isVisible());
    QVERIFY(host_->Widget<QProgressBar>("pgbProgresso")->isHidden());
    for (const char* table : {"MOVREAL", "EXTRBANCO", "LOGIMPEXTR"})
      QCOMPARE(Count(host_->DatabaseUri(), table), 0);
  }

  void HelpSpeaksPortugueseWithoutInternalNames() {
    std::ostringstream printed;
    std::streambuf* before = std::cout.rdbuf(printed.rdbuf());
    LaunchOptions options;
    std::string program = "extrato-gui", help = "--help";
    char* argv[] = {program.data(), help.data()};
    std::optional<int> status = ParseLaunchOptions(2, argv, options);
    std::cout.rdbuf(before);
    QCOMPARE(status, std::optional<int>(0));
    std::string text = printed.str();
    for (const char* english : {"Usage", "OPTIONS", "Options", "Print this", "QAR62700"})
      QVERIFY2(text.find(english) == std::string::npos, english);
    QVERIFY2(text.find("Uso:") != std::string::npos, text.c_str());
    QVERIFY(text.find("Mostra esta ajuda") != std::string::npos);
  }

 private:
  // Into the file field from the bank's, a path to nothing, and on to the next field.
  void EnterWrongPath() {
    QTRY_VERIFY(Field("medCdBanco")->hasFocus());
    QTest::keyClick(Field("medCdBanco"), Qt::Key_Tab);
    QTRY_VERIFY(Field("edtNmArquivo")->hasFocus());
    QTest::keyClicks(Field("edtNmArquivo"), "/nao/existe.txt");
    QTest::keyClick(Field("edtNmArquivo"), Qt::Key_Tab);
  }
  QLineEdit* Field(const char* name) const {
    QLineEdit* field = host_->Widget<QLineEdit>(name);
    if (field == nullptr)
      qFatal("no field %s", name);
    return field;
  }
  static bool Fits(const QLineEdit& line) {
    return line.fontMetrics().horizontalAdvance(line.text()) < line.contentsRect().width() - 4;
  }

  QTemporaryDir folder_;
  std::unique_ptr<DemoHost> host_;
};

static const bool registered = testing::Register<DesktopTest>();

}  // namespace gui

#include "desktop_test.moc"
