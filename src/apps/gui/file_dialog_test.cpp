#include "apps/gui/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include "apps/gui/test_support.h"

namespace gui {

using testing::ModalDriver;

namespace {

const QString kSamples = QDir::cleanPath(QStringLiteral(EXTRATO_SOURCE_DIR "/samples"));
const QString kSample = kSamples + QStringLiteral("/bradesco-200.txt");

host::FileDialogRequest RequestIn(const QString& folder) {
  return {"Arquivo Origem", "Todos os Arquivos (*.*)|*.*", folder.toStdString(), ""};
}

}  // namespace

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void FiltersFromHostText_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("every file") << "Todos os Arquivos (*.*)|*.*"
                                << QStringList{"Todos os Arquivos (*.*) (*)"};
    QTest::newRow("two entries") << "Retorno|*.ret;*.txt|Todos|*.*"
                                 << QStringList{"Retorno (*.ret *.txt)", "Todos (*)"};
    QTest::newRow("no pattern") << "Tudo" << QStringList{"Tudo (*)"};
    QTest::newRow("none") << "" << QStringList{};
  }
  void FiltersFromHostText() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(NameFilters(filter.toStdString()), expected);
  }

  void DialogStartsAsAskedAndAnswersTheChoice() {
    QString title;
    QStringList filters;
    QString folder;
    QTemporaryDir start;
    ModalDriver driver;
    driver.Then([&](QWidget& widget) {
      auto& dialog = static_cast<QFileDialog&>(widget);
      title = dialog.windowTitle();
      filters = dialog.nameFilters();
      folder = dialog.directory().absolutePath();
      testing::TypeFileName(dialog, kSample);
      static_cast<QDialog&>(dialog).accept();
    });
    QCOMPARE(ChooseOpenFile(nullptr, RequestIn(start.path())),
             std::optional(kSample.toStdString()));
    QCOMPARE(title, QStringLiteral("Arquivo Origem"));
    QCOMPARE(filters, QStringList{"Todos os Arquivos (*.*) (*)"});
    QCOMPARE(folder, QDir(start.path()).canonicalPath());
  }

  void CancelAnswersNothing() {
    ModalDriver driver;
    driver.Then(testing::Reject());
    QCOMPARE(ChooseOpenFile(nullptr, RequestIn(kSamples)), std::nullopt);
    QVERIFY(driver.Done());
  }
};

static const bool registered = testing::Register<FileDialogTest>();

}  // namespace gui

#include "file_dialog_test.moc"
