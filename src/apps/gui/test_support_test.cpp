#include "apps/gui/test_support.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>

namespace gui {

class TestSupportTest : public QObject {
  Q_OBJECT

 private slots:
  // A scripted action that leaves the dialog open must not leave the test waiting.
  void WatchdogClosesADialogLeftOpenAndNamesIt() {
    QStringList reported;
    testing::ModalWatchdog watchdog(300, [&](const QString& dialog) { reported << dialog; });
    testing::ModalDriver driver;
    driver.Then([](QWidget&) {});
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Atenção"),
                    QStringLiteral("Ninguém responde."));
    QElapsedTimer clock;
    clock.start();
    box.exec();
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(reported, QStringList{QStringLiteral("Atenção: Ninguém responde.")});
    QCOMPARE(watchdog.Closed(), reported);
  }

  void WatchdogLeavesAnsweredDialogsAlone() {
    QStringList reported;
    testing::ModalWatchdog watchdog(300, [&](const QString& dialog) { reported << dialog; });
    testing::ModalDriver driver;
    driver.Then(testing::Accept());
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informação"), QStringLiteral("Ok."));
    box.exec();
    QTest::qWait(500);
    QVERIFY(reported.isEmpty());
  }
};

static const bool registered = testing::Register<TestSupportTest>();

}  // namespace gui

#include "test_support_test.moc"
