#include "apps/gui/statements_window.h"

#include <QAction>
#include <QFile>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QTest>
#include <QToolButton>

#include <fmt/format.h>

#include "apps/gui/test_support.h"
#include "host/soci.h"
#include "server/database.h"

namespace gui {

using testing::DemoHost;
using testing::ModalDriver;

namespace {

const QString kBradesco = QStringLiteral(EXTRATO_SOURCE_DIR "/samples/bradesco-200.txt");

QString Cell(const QAbstractItemModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

// The series drawn for an account, and how many of them the legend names.
std::pair<int, int> SeriesOf(StatementsWindow& window, const QString& account) {
  int drawn = 0, named = 0;
  QChart* chart = window.Chart().chart();
  for (QAbstractSeries* series : chart->series()) {
    if (series->name() != QStringLiteral("Conta %1").arg(account))
      continue;
    ++drawn;
    for (QLegendMarker* marker : chart->legend()->markers(series))
      named += marker->isVisible() ? 1 : 0;
  }
  return {drawn, named};
}

}  // namespace

class StatementsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { host_.reset(); }

  void TheImportedExampleWithItsMovementsChartAndExports() {
    host_ = std::make_unique<DemoHost>();
    ImportBradesco();
    StatementsWindow& window = Open();
    window.ShowAccount("001");
    QCOMPARE(window.Statements().rowCount(), 1);
    QCOMPARE(window.Statements().item(0, 0)->text(), QStringLiteral("0000000001"));
    QCOMPARE(window.Statements().item(0, 4)->text(), QStringLiteral("387.960,97 C"));
    QCOMPARE(window.From().date(), QDate(2024, 1, 2));
    QCOMPARE(window.To().date(), QDate(2024, 1, 28));

    const MovementModel& movements = window.MovementList();
    QCOMPARE(movements.rowCount(), 8);
    QCOMPARE(Cell(movements, 0, MovementModel::kDate), QStringLiteral("02/01/2024"));
    QCOMPARE(Cell(movements, 0, MovementModel::kAmount), QStringLiteral("2.348,29"));
    QCOMPARE(Cell(movements, 7, MovementModel::kBalance), QStringLiteral("387.960,97"));
    QVERIFY2(window.Totals().text().startsWith(
                 QStringLiteral("Extrato 0000000001: 8 movimento(s), créditos ")),
             qPrintable(window.Totals().text()));

    QCOMPARE(SeriesOf(window, "001"), std::make_pair(1, 1));
    QCOMPARE(window.StatementOn("001", QDate(2024, 1, 10)),
             QStringLiteral("Conta 001, extrato 0000000001: 02/01/2024 a 28/01/2024"));
    QCOMPARE(window.StatementOn("001", QDate(2024, 2, 10)), QString());

    QTemporaryDir dir;
    QString csv = dir.filePath("extrato.csv");
    QString ofx = dir.filePath("extrato.ofx");
    QCOMPARE(window.Export(apps::ExportFormat::kCsv, csv.toStdString()), std::nullopt);
    QCOMPARE(window.Export(apps::ExportFormat::kOfx, ofx.toStdString()), std::nullopt);
    QByteArray csv_text = Read(csv);
    QCOMPARE(csv_text.count("\r\n"), 9);
    QVERIFY(csv_text.contains("001;0000000001;0000000008;28/01/2024;"));
    QByteArray ofx_text = Read(ofx);
    QVERIFY(ofx_text.startsWith("OFXHEADER:100"));
    QCOMPARE(ofx_text.count("<STMTTRN>"), 8);
    QVERIFY(ofx_text.contains("<FITID>0000000001-0000000008"));
    QCOMPARE(window.Export(apps::ExportFormat::kCsv, dir.filePath("nada/x.csv").toStdString())
                 .value_or(""),
             "Não foi possível gravar o arquivo " + dir.filePath("nada/x.csv").toStdString() + ".");
  }

  void MovementsAreReadAsTheListScrollsAndSortedWhole() {
    host_ = std::make_unique<DemoHost>();
    constexpr int kMovements = 450;
    Store("0000000001", "2024-03-01", "2024-03-31", kMovements);
    StatementsWindow& window = Open();
    window.ShowAccount("001");
    MovementModel& movements = window.MovementList();
    QCOMPARE(movements.rowCount(), MovementModel::kPageSize);
    QVERIFY(movements.canFetchMore({}));
    movements.fetchMore({});
    QCOMPARE(movements.rowCount(), 2 * MovementModel::kPageSize);
    QCOMPARE(Cell(movements, 0, MovementModel::kBalance), QStringLiteral("101,00"));

    movements.sort(MovementModel::kAmount, Qt::DescendingOrder);
    QCOMPARE(movements.rowCount(), kMovements);
    QVERIFY(!movements.canFetchMore({}));
    QCOMPARE(Cell(movements, 0, MovementModel::kAmount), QStringLiteral("450,00"));
    // The balance after it, as in date order.
    QCOMPARE(Cell(movements, 0, MovementModel::kBalance), QStringLiteral("101.575,00"));
  }

  void DaysWithoutAStatementAreAGapInTheLine() {
    host_ = std::make_unique<DemoHost>();
    Store("0000000001", "2024-03-01", "2024-03-05", 3);
    Store("0000000002", "2024-03-20", "2024-03-25", 2);
    StatementsWindow& window = Open();
    window.ShowAccount("001");
    QCOMPARE(window.Statements().rowCount(), 2);
    // Listed too: the second opens at 100,00 after the first closed at 106,00.
    QCOMPARE(window.Statements().item(0, 8)->text(), QString());
    QCOMPARE(window.Statements().item(1, 8)->text(), QStringLiteral("saldo; 10 dias"));
    QVERIFY(window.Statements().item(1, 8)->toolTip().startsWith(QStringLiteral("Saldo inicial")));
    QCOMPARE(SeriesOf(window, "001"), std::make_pair(2, 1));
    QCOMPARE(window.StatementOn("001", QDate(2024, 3, 21)),
             QStringLiteral("Conta 001, extrato 0000000002: 20/03/2024 a 25/03/2024"));

    window.AllAccounts().setChecked(true);
    QCOMPARE(SeriesOf(window, "001"), std::make_pair(2, 1));
    window.To().setDate(QDate(2024, 3, 10));
    window.Reload();
    QCOMPARE(window.Statements().rowCount(), 1);
    QCOMPARE(SeriesOf(window, "001"), std::make_pair(1, 1));
  }

 private:
  StatementsWindow& Open() {
    host_->Window().findChild<QAction*>("actExtratos")->trigger();
    auto* window = host_->Window().findChild<StatementsWindow*>("wndExtratos");
    if (window == nullptr)
      qFatal("no statements window");
    return *window;
  }

  static QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // A statement of account 001 with credits of 1,00 to `count`,00 on its days in
  // turn, opening at 100,00.
  void Store(const std::string& code, const std::string& from, const std::string& to, int count) {
    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(host_->DatabaseUri()));
    sql << fmt::format(
        "INSERT INTO EXTRBANCO (CDREDUCONT, CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, "
        "IDEXTRINI, VRSALDFIM, IDEXTRFIM) VALUES ('001', '{}', '{}', '{}', 100, 'C', {}, 'C')",
        code, from, to, 100 + count * (count + 1) / 2);
    int days = std::stoi(to.substr(8)) - std::stoi(from.substr(8)) + 1;
    for (int i = 1; i <= count; ++i) {
      sql << fmt::format(
          "INSERT INTO MOVREAL (CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, "
          "VRMOVREAL, IDMOVREAL, DSHISTMOVREAL, IDSTCONMVBAN) VALUES ('001', '{}', '{:010}', "
          "'D{}', '{}{:02}', {}, 'C', 'CREDITO', '0')",
          code, i, i, from.substr(0, 8), std::stoi(from.substr(8)) + (i - 1) * days / count, i);
    }
  }

  void ImportBradesco() {
    host_->Window().ImportAction().trigger();
    auto* bank = host_->Widget<QLineEdit>("medCdBanco");
    auto* file = host_->Widget<QLineEdit>("edtNmArquivo");
    QTest::keyClicks(bank, "237");
    QTest::keyClick(bank, Qt::Key_Tab);
    QTRY_VERIFY(file->hasFocus());
    QTest::keyClicks(file, kBradesco);
    ModalDriver driver;
    driver.Then(testing::Accept());
    QTest::mouseClick(host_->Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
    QVERIFY(driver.Done());
  }

  std::unique_ptr<DemoHost> host_;
};

static const bool registered = testing::Register<StatementsWindowTest>();

}  // namespace gui

#include "statements_window_test.moc"
