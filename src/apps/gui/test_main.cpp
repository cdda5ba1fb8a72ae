// Runs every registered Qt test class; fails when any of them has a failure.
#include <QApplication>
#include <QTest>

#include "apps/gui/test_support.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  gui::testing::ModalWatchdog watchdog;
  int failures = 0;
  for (const auto& make : gui::testing::Registry()) {
    std::unique_ptr<QObject> test = make();
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 && watchdog.Closed().isEmpty() ? 0 : 1;
}
