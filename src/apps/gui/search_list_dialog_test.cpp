#include "apps/gui/search_list_dialog.h"

#include <QHeaderView>
#include <QTest>

#include "apps/gui/test_support.h"

namespace gui {

using testing::ModalDriver;

namespace {

const host::SearchListRequest kBanks{"Banco",
                                     {"Código", "Nome"},
                                     {{"001", "BANCO DO BRASIL S.A."},
                                      {"237", "BANCO BRADESCO S.A."},
                                      {"341", "ITAÚ UNIBANCO S.A."}}};

}  // namespace

class SearchListDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsRowsUnderTheirTitles() {
    SearchListDialog dialog(kBanks);
    QTableWidget& table = dialog.Table();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Banco"));
    QCOMPARE(table.columnCount(), 2);
    QCOMPARE(table.horizontalHeaderItem(0)->text(), QStringLiteral("Código"));
    QCOMPARE(table.horizontalHeaderItem(1)->text(), QStringLiteral("Nome"));
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.item(2, 1)->text(), QStringLiteral("ITAÚ UNIBANCO S.A."));
    QCOMPARE(table.currentRow(), 0);
  }

  void AcceptPicksTheCurrentRow() {
    ModalDriver driver;
    driver.Then([](QWidget& widget) {
      auto& dialog = static_cast<SearchListDialog&>(widget);
      dialog.Table().selectRow(1);
      dialog.accept();
    });
    QCOMPARE(PickFromList(nullptr, kBanks), std::optional<std::size_t>(1));
  }

  void DoubleClickPicksItsRow() {
    ModalDriver driver;
    driver.Then([](QWidget& widget) {
      auto& dialog = static_cast<SearchListDialog&>(widget);
      QTableWidget& table = dialog.Table();
      QPoint cell = table.visualItemRect(table.item(2, 0)).center();
      QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell);
      QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell);
    });
    QCOMPARE(PickFromList(nullptr, kBanks), std::optional<std::size_t>(2));
  }

  void CancelPicksNothing() {
    ModalDriver driver;
    driver.Then(testing::Press(QStringLiteral("Cancelar")));
    QCOMPARE(PickFromList(nullptr, kBanks), std::nullopt);
    QVERIFY(driver.Done());
  }
};

static const bool registered = testing::Register<SearchListDialogTest>();

}  // namespace gui

#include "search_list_dialog_test.moc"
