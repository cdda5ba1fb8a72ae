#include "apps/gui/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "apps/gui/test_support.h"
#include "apps/gui/translations.h"

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

  // Its headings, its places, a folder's type and a file's date, as a Brazilian
  // user reads them.
  void DialogSpeaksPortuguese() {
    QTranslator* translator = InstallPortuguese(*qApp);
    QVERIFY2(translator != nullptr, "qt6-translations-l10n is not installed");
    QTemporaryDir start;
    QDir(start.path()).mkdir(QStringLiteral("pasta"));
    QStringList headers, places;
    QString type, date;
    ModalDriver driver;
    driver.Then([&](QWidget& widget) {
      auto* view = widget.findChild<QTreeView*>(QStringLiteral("treeView"));
      QAbstractItemModel* model = view->model();
      if (!QTest::qWaitFor([&] { return model->rowCount(view->rootIndex()) > 0; }, 5000))
        qWarning("the folder was never listed");
      for (int c = 0; c < model->columnCount(); ++c)
        headers << model->headerData(c, Qt::Horizontal).toString();
      QModelIndex folder = model->index(0, 0, view->rootIndex());
      type = folder.siblingAtColumn(2).data().toString();
      date = folder.siblingAtColumn(3).data().toString();
      auto* sidebar = widget.findChild<QListView*>(QStringLiteral("sidebar"));
      for (int r = 0; r < sidebar->model()->rowCount(); ++r)
        places << sidebar->model()->index(r, 0).data().toString();
      static_cast<QDialog&>(widget).reject();
    });
    ChooseOpenFile(nullptr, RequestIn(start.path()));
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QCOMPARE(headers, (QStringList{"Nome", "Tamanho", "Tipo", "Data de modificação"}));
    QCOMPARE(type, QStringLiteral("Pasta"));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$"))
                 .match(date)
                 .hasMatch(),
             qPrintable(date));
    QVERIFY2(!places.contains(QStringLiteral("Computer")), qPrintable(places.join(", ")));
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
