// Hostile bytes and values out of the database's range in a statement file, in the
// desktop: the import and its preview end with the same error, at the line, shown as
// plain text, so that nothing of the file is rendered as markup or acts.

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "apps/common/faulty_statements_test_support.h"
#include "apps/gui/test_support.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

class FaultyStatementTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { host_ = std::make_unique<DemoHost>(); }
  void cleanup() { host_.reset(); }

  void ImportAndPreviewEndWithTheLinesErrorAsPlainText_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("preview");
    const auto& faults = apps::testing::FaultyStatements();
    for (std::size_t i = 0; i < faults.size(); ++i) {
      for (bool preview : {false, true}) {
        QTest::addRow("%s%s", faults[i].name, preview ? "Preview" : "")
            << static_cast<int>(i) << preview;
      }
    }
  }

  void ImportAndPreviewEndWithTheLinesErrorAsPlainText() {
    QFETCH(int, fault);
    QFETCH(bool, preview);
    const apps::testing::FaultyStatement& faulty =
        apps::testing::FaultyStatements()[static_cast<std::size_t>(fault)];
    QTemporaryDir folder;
    std::string file = apps::testing::WriteFaultyFile(faulty, EXTRATO_SOURCE_DIR "/samples",
                                                      folder.path().toStdString());
    host_->Window().PreviewAction().setChecked(preview);
    host_->Window().ImportAction().trigger();
    QVERIFY(host_->Screen() != nullptr);
    auto* bank = host_->Widget<QLineEdit>("medCdBanco");
    QTest::keyClicks(bank, faulty.bank);
    QTest::keyClick(bank, Qt::Key_Tab);
    auto* path = host_->Widget<QLineEdit>("edtNmArquivo");
    QTRY_VERIFY(path->hasFocus());
    QTest::keyClicks(path, QString::fromStdString(file));

    QStringList formats;
    ModalDriver driver;
    driver.Then([&formats](QWidget& dialog) {
      for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->textFormat() != Qt::PlainText)
          formats << label->text();
      }
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);

    QCOMPARE(driver.Dialogs().size(), std::size_t{1});
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Erro"));
    QCOMPARE(driver.Texts()[0], QString::fromStdString(faulty.error));
    QVERIFY2(formats.isEmpty(), qPrintable("not plain text: " + formats.join(" | ")));
  }

 private:
  std::unique_ptr<DemoHost> host_;
};

static const bool registered = testing::Register<FaultyStatementTest>();

}  // namespace gui

#include "faulty_statement_test.moc"
