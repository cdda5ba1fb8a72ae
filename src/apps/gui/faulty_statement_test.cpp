// Hostile bytes and values out of the database's range in a statement file, in the
// desktop: the import and its preview end with the same error, at the line, shown as
// plain text, so that nothing of the file is rendered as markup or acts.

#include <memory>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "apps/gui/test_support.h"
#include "testing/faulty_statements_test_support.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

class FaultyStatementTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    host_ = std::make_unique<DemoHost>();
    driver_ = std::make_unique<ModalDriver>();
  }
  void cleanup() {
    driver_.reset();
    host_.reset();
    rendered_.clear();
  }

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
    Confirm(faulty.bank, file);

    QCOMPARE(driver_->Dialogs().size(), std::size_t{1});
    QCOMPARE(driver_->Dialogs()[0].title, QStringLiteral("Erro"));
    QCOMPARE(driver_->Texts()[0], QString::fromStdString(faulty.error));
    QVERIFY2(rendered_.isEmpty(), qPrintable("not plain text: " + rendered_.join(" | ")));
  }

  // The agency is the file's, and the line under the message names it: as written,
  // not as markup.
  void AccountLookedUpIsNamedAsWrittenInTheFile() {
    QTemporaryDir folder;
    apps::testing::FaultyStatement agency = {"agencia", "bradesco-200.txt", "237", 2, 18, "<b>1",
                                             ""};
    Confirm("237", apps::testing::WriteFaultyFile(agency, EXTRATO_SOURCE_DIR "/samples",
                                                  folder.path().toStdString()));

    QCOMPARE(driver_->Texts().value(0),
             QStringLiteral("Conta corrente não cadastrada.\nProcurada: banco 237, agência "
                            "<b>1, conta 0012566-8, tipo Circulante. Para cadastrá-la: menu "
                            "Cadastros → Contas correntes → Incluir."));
    QVERIFY2(rendered_.isEmpty(), qPrintable("not plain text: " + rendered_.join(" | ")));
  }

 private:
  // Opens the screen, fills it as a user does and confirms; the dialog that ends the
  // run is recorded, its labels that are not plain text in rendered_.
  void Confirm(const char* bank_code, const std::string& file) {
    host_->Window().ImportAction().trigger();
    QVERIFY(host_->Screen() != nullptr);
    auto* bank = host_->Widget<QLineEdit>("medCdBanco");
    QTest::keyClicks(bank, bank_code);
    QTest::keyClick(bank, Qt::Key_Tab);
    auto* path = host_->Widget<QLineEdit>("edtNmArquivo");
    QTRY_VERIFY(path->hasFocus());
    QTest::keyClicks(path, QString::fromStdString(file));
    driver_->Then([this](QWidget& dialog) {
      for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->textFormat() != Qt::PlainText)
          rendered_ << label->text();
      }
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
  }

  std::unique_ptr<DemoHost> host_;
  std::unique_ptr<ModalDriver> driver_;
  QStringList rendered_;
};

static const bool registered = testing::Register<FaultyStatementTest>();

}  // namespace gui

#include "faulty_statement_test.moc"
