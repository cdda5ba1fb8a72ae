#include "apps/gui/qt_ui_services.h"

#include <QApplication>
#include <QTest>
#include <QThread>

#include "apps/gui/test_support.h"

namespace gui {

class QtUiServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void WaitCoversTheMainWindowUntilTheLastHide() {
    QWidget main_window;
    main_window.resize(640, 480);
    main_window.show();
    QtUiServices ui(main_window);
    const WaitOverlay& wait = ui.Wait();
    QVERIFY(!wait.isVisible());

    ui.ShowWait(0);
    QVERIFY(wait.isVisible());
    QCOMPARE(wait.geometry(), main_window.rect());
    QCOMPARE(wait.Text(), QStringLiteral("Conectando ao servidor de aplicação..."));
    ui.ShowWait(1);
    QCOMPARE(wait.Text(), QStringLiteral("Aguarde..."));
    ui.HideWait();
    QVERIFY(wait.isVisible());
    ui.HideWait();
    QVERIFY(!wait.isVisible());
    // One hide too many does not hide the next wait early.
    ui.HideWait();
    ui.ShowWait(1);
    QVERIFY(wait.isVisible());
    ui.HideWait();
    QVERIFY(!wait.isVisible());
  }

  void HourglassIsOneOverrideCursor() {
    QWidget main_window;
    {
      QtUiServices ui(main_window);
      ui.SetCursor(host::Cursor::kHourGlass);
      ui.SetCursor(host::Cursor::kHourGlass);
      QVERIFY(QApplication::overrideCursor() != nullptr);
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      ui.SetCursor(host::Cursor::kDefault);
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      ui.SetCursor(host::Cursor::kHourGlass);
    }
    // Services that go away give the cursor back.
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  void RepaintRunsPendingEventsAtMostEveryFewMilliseconds() {
    QWidget main_window;
    QtUiServices ui(main_window);
    bool first = false;
    QTimer::singleShot(0, [&] { first = true; });
    ui.Repaint();
    QVERIFY(first);
    bool second = false;
    QTimer::singleShot(0, [&] { second = true; });
    ui.Repaint();
    QVERIFY(!second);
    QThread::msleep(50);
    ui.Repaint();
    QVERIFY(second);
  }
};

static const bool registered = testing::Register<QtUiServicesTest>();

}  // namespace gui

#include "qt_ui_services_test.moc"
