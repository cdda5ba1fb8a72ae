#include "apps/gui/message_dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "apps/gui/test_support.h"

namespace gui {

using testing::ModalDriver;

class MessageDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void MessagesTitledByType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::newRow("error") << static_cast<int>(host::DialogType::kError) << "Erro"
                           << static_cast<int>(QMessageBox::Critical);
    QTest::newRow("warning") << static_cast<int>(host::DialogType::kWarning) << "Atenção"
                             << static_cast<int>(QMessageBox::Warning);
    QTest::newRow("information") << static_cast<int>(host::DialogType::kInformation) << "Informação"
                                 << static_cast<int>(QMessageBox::Information);
  }
  void MessagesTitledByType() {
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(int, icon);
    int shown_icon = -1;
    QString button;
    ModalDriver driver;
    driver.Then([&](QWidget& dialog) {
      auto& box = static_cast<QMessageBox&>(dialog);
      shown_icon = box.icon();
      button = box.buttons().value(0)->text();
      box.accept();
    });
    ShowMessageBox(nullptr, {static_cast<host::DialogType>(type), "Banco não cadastrado.", {}});
    QCOMPARE(driver.Dialogs().size(), std::size_t{1});
    QCOMPARE(driver.Dialogs()[0].title, title);
    QCOMPARE(driver.Texts(), QStringList{"Banco não cadastrado."});
    QCOMPARE(shown_icon, icon);
    QCOMPARE(button, QStringLiteral("OK"));
  }

  void QuestionAnswersByButton_data() {
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<int>("answer");
    QTest::newRow("first caption") << "Não" << 10;
    QTest::newRow("second caption") << "Sim" << 11;
    QTest::newRow("closed") << "" << 0;
  }
  void QuestionAnswersByButton() {
    QFETCH(QString, pressed);
    QFETCH(int, answer);
    ModalDriver driver;
    driver.Then(pressed.isEmpty() ? testing::Reject() : testing::Press(pressed));
    host::Question question{
        host::DialogType::kConfirmation, "Deseja realizar a importação?", {"Não", "Sim"}, {}};
    QCOMPARE(AskQuestion(nullptr, question), answer);
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Confirmação"));
    QCOMPARE(driver.Texts(), QStringList{"Deseja realizar a importação?"});
  }
};

static const bool registered = testing::Register<MessageDialogsTest>();

}  // namespace gui

#include "message_dialogs_test.moc"
