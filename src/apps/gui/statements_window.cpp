#include "apps/gui/statements_window.h"

#include <algorithm>
#include <fstream>

#include <QApplication>
#include <QChart>
#include <QCursor>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <fmt/format.h>

#include "apps/common/brazilian_format.h"
#include "apps/common/continuity.h"
#include "apps/gui/message_dialogs.h"

namespace gui {

namespace {

using nlohmann::json;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

host::Date ToDate(const QDate& date) {
  return host::Date(date.year(), date.month(), date.day());
}

QDate ToQDate(const host::Date& date) {
  return QDate(date.year(), date.month(), date.day());
}

qreal DayX(const host::Date& date) {
  return static_cast<qreal>(QDateTime(ToQDate(date), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
}

std::size_t Field(const json& packet, std::string_view name) {
  const json& fields = packet.at("fields");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i][0] == name)
      return i;
  }
  throw std::runtime_error(fmt::format("A resposta do servidor não tem o campo {}.", name));
}

std::string Text(const json& value) {
  return value.is_string() ? value.get<std::string>() : "";
}

std::string DateText(const json& value) {
  auto date = host::Date::FromIso(Text(value));
  return date ? apps::BrazilianDate(*date) : "";
}

std::string Balance(const json& amount, const json& side) {
  if (!amount.is_number())
    return "";
  return apps::BrazilianAmount(amount.get<double>()) + " " + Text(side);
}

const json kNoRows = {{"fields", json::array()}, {"rows", json::array()}};

}  // namespace

StatementsWindow::StatementsWindow(QWidget* parent)
    : QDialog(parent),
      statements_packet_(kNoRows),
      accounts_(new QComboBox),
      from_(new QDateEdit),
      to_(new QDateEdit),
      all_accounts_(new QCheckBox(QStringLiteral("Todas as contas no gráfico"))),
      statements_(new QTableWidget),
      movements_(new QTableView),
      totals_(new QLabel),
      pointer_(new QLabel),
      chart_(new QChartView) {
  setObjectName(QStringLiteral("wndExtratos"));
  setWindowTitle(QStringLiteral("Extratos importados"));
  resize(920, 680);
  accounts_->setObjectName(QStringLiteral("cbConta"));
  from_->setObjectName(QStringLiteral("dtDe"));
  to_->setObjectName(QStringLiteral("dtAte"));
  all_accounts_->setObjectName(QStringLiteral("chkTodasContas"));
  for (QDateEdit* edit : {from_, to_}) {
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setCalendarPopup(true);
  }
  auto* refresh = new QPushButton(QStringLiteral("Atualizar"));
  refresh->setObjectName(QStringLiteral("btnAtualizar"));
  refresh->setAutoDefault(false);
  connect(refresh, &QPushButton::clicked, this, [this] { Reload(); });
  connect(all_accounts_, &QCheckBox::toggled, this, [this] { DrawChart(); });

  auto* filter = new QHBoxLayout;
  filter->addWidget(new QLabel(QStringLiteral("Conta:")));
  filter->addWidget(accounts_, 1);
  filter->addWidget(new QLabel(QStringLiteral("De:")));
  filter->addWidget(from_);
  filter->addWidget(new QLabel(QStringLiteral("Até:")));
  filter->addWidget(to_);
  filter->addWidget(refresh);
  filter->addWidget(all_accounts_);

  statements_->setObjectName(QStringLiteral("tblExtratos"));
  statements_->setSelectionBehavior(QAbstractItemView::SelectRows);
  statements_->setSelectionMode(QAbstractItemView::SingleSelection);
  statements_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  statements_->verticalHeader()->hide();
  statements_->horizontalHeader()->setStretchLastSection(true);
  connect(statements_, &QTableWidget::currentCellChanged, this,
          [this](int row) { SelectStatement(row); });

  movement_model_ = new MovementModel(
      Call(), [this](const std::string& text) { ShowError(text); }, this);
  movements_->setObjectName(QStringLiteral("tblMovimentos"));
  movements_->setModel(movement_model_);
  movements_->setSelectionBehavior(QAbstractItemView::SelectRows);
  movements_->verticalHeader()->hide();
  movements_->horizontalHeader()->setStretchLastSection(true);
  movements_->horizontalHeader()->setSortIndicatorShown(true);
  movements_->horizontalHeader()->setSectionsClickable(true);
  // Sorting starts with a click, never by itself: it reads every page first.
  connect(movements_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    QHeaderView* header = movements_->horizontalHeader();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    movement_model_->sort(column, header->sortIndicatorOrder());
    QApplication::restoreOverrideCursor();
  });

  chart_->setObjectName(QStringLiteral("grfSaldos"));
  chart_->setRenderHint(QPainter::Antialiasing);
  chart_->setMinimumHeight(220);
  pointer_->setObjectName(QStringLiteral("lblExtratoPonteiro"));
  totals_->setObjectName(QStringLiteral("lblTotais"));

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(statements_);
  splitter->addWidget(movements_);
  splitter->addWidget(chart_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 3);
  splitter->setStretchFactor(2, 3);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(totals_, 1);
  auto add_button = [&](const QString& caption, const char* name, auto slot) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    buttons->addWidget(button);
  };
  add_button(QStringLiteral("Exportar CSV..."), "btnExportarCsv",
             [this] { ExportClicked(apps::ExportFormat::kCsv); });
  add_button(QStringLiteral("Exportar OFX..."), "btnExportarOfx",
             [this] { ExportClicked(apps::ExportFormat::kOfx); });
  add_button(QStringLiteral("Fechar"), "btnFechar", [this] { close(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filter);
  layout->addWidget(splitter, 1);
  layout->addWidget(pointer_);
  layout->addLayout(buttons);

  LoadAccounts();
  connect(accounts_, &QComboBox::currentIndexChanged, this, [this] { ShowAccount(Account()); });
  ShowAccount(Account());
}

apps::ServerCall StatementsWindow::Call() {
  return [this](const std::string& method, const json& params) {
    return client_.Call(method, params);
  };
}

std::string StatementsWindow::Account() const {
  return accounts_->currentData().toString().toStdString();
}

apps::MovementQuery StatementsWindow::Query() const {
  apps::MovementQuery query;
  query.account = Account();
  query.from = ToDate(from_->date());
  query.to = ToDate(to_->date());
  int row = statements_->currentRow();
  const json& rows = statements_packet_.at("rows");
  if (row >= 0 && static_cast<std::size_t>(row) < rows.size())
    query.statement = Text(rows[row][Field(statements_packet_, "CDSEQUEXTR")]);
  return query;
}

void StatementsWindow::LoadAccounts() {
  json accounts = kNoRows;
  try {
    accounts = client_.Call("GetContas", {""});
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  QSignalBlocker quiet(accounts_);
  for (const json& row : accounts.at("rows")) {
    std::string code = Text(row[Field(accounts, "CDREDUCONT")]);
    std::string name = Text(row[Field(accounts, "NMCONTCORR")]);
    accounts_->addItem(Q(code + " — " + name), Q(code));
  }
}

void StatementsWindow::ShowAccount(const std::string& account) {
  int index = accounts_->findData(Q(account));
  if (index >= 0 && index != accounts_->currentIndex()) {
    QSignalBlocker quiet(accounts_);
    accounts_->setCurrentIndex(index);
  }
  // The period starts as every day the account's statements cover.
  from_->setDate(QDate(1900, 1, 1));
  to_->setDate(QDate(9999, 12, 31));
  ReadStatements();
  const json& rows = statements_packet_.at("rows");
  std::optional<host::Date> first;
  std::optional<host::Date> last;
  for (const json& row : rows) {
    for (const char* name : {"DTSALDINIC", "DTSALDFIN"}) {
      auto date = host::Date::FromIso(Text(row[Field(statements_packet_, name)]));
      if (date && (!first || *date < *first))
        first = date;
      if (date && (!last || *last < *date))
        last = date;
    }
  }
  if (first) {
    from_->setDate(ToQDate(*first));
    to_->setDate(ToQDate(*last));
  }
  FillStatements();
  DrawChart();
}

void StatementsWindow::ReadStatements() {
  statements_packet_ = kNoRows;
  if (Account().empty())
    return;
  try {
    statements_packet_ = apps::ReadStatements(Call(), Query());
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void StatementsWindow::Reload() {
  ReadStatements();
  FillStatements();
  DrawChart();
}

void StatementsWindow::FillStatements() {
  static const QStringList kHeadings = {
      QStringLiteral("Extrato"),       QStringLiteral("De"),          QStringLiteral("Até"),
      QStringLiteral("Saldo inicial"), QStringLiteral("Saldo final"), QStringLiteral("Movimentos"),
      QStringLiteral("Créditos"),      QStringLiteral("Débitos"),     QStringLiteral("Lacuna")};
  const json& packet = statements_packet_;
  const json& rows = packet.at("rows");
  QSignalBlocker quiet(statements_);
  statements_->clear();
  statements_->setColumnCount(static_cast<int>(kHeadings.size()));
  statements_->setHorizontalHeaderLabels(kHeadings);
  statements_->setRowCount(static_cast<int>(rows.size()));
  std::vector<apps::Continuity> gaps = apps::ListingContinuity(packet);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const json& row = rows[r];
    auto amount = [&](const char* name) {
      const json& value = row[Field(packet, name)];
      return value.is_number() ? apps::BrazilianAmount(value.get<double>()) : "";
    };
    std::vector<std::string> cells = {
        Text(row[Field(packet, "CDSEQUEXTR")]),
        DateText(row[Field(packet, "DTSALDINIC")]),
        DateText(row[Field(packet, "DTSALDFIN")]),
        Balance(row[Field(packet, "VRSALDINIC")], row[Field(packet, "IDEXTRINI")]),
        Balance(row[Field(packet, "VRSALDFIM")], row[Field(packet, "IDEXTRFIM")]),
        Text(row[Field(packet, "QTMOVREAL")]),
        amount("VRCREDITOS"),
        amount("VRDEBITOS"),
        gaps[r].Mark()};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(Q(cells[c]));
      if (c >= 3)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      statements_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
    std::string warnings = fmt::format("{}", fmt::join(gaps[r].warnings, "\n"));
    statements_->item(static_cast<int>(r), static_cast<int>(cells.size()) - 1)
        ->setToolTip(Q(warnings));
  }
  statements_->resizeColumnsToContents();
  if (rows.empty()) {
    SelectStatement(-1);
  } else {
    statements_->selectRow(static_cast<int>(rows.size()) - 1);
    SelectStatement(static_cast<int>(rows.size()) - 1);
  }
}

void StatementsWindow::SelectStatement(int row) {
  const json& packet = statements_packet_;
  const json& rows = packet.at("rows");
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
    movement_model_->Show({});
    totals_->setText(Account().empty() ? QStringLiteral("Nenhuma conta cadastrada.")
                                       : QStringLiteral("Nenhum extrato da conta no período."));
    return;
  }
  if (statements_->currentRow() != row) {
    QSignalBlocker quiet(statements_);
    statements_->selectRow(row);
  }
  apps::MovementQuery query = Query();
  query.statement = Text(rows[row][Field(packet, "CDSEQUEXTR")]);
  movement_model_->Show(query);
  movements_->resizeColumnsToContents();
  auto amount = [&](const char* name) {
    const json& value = rows[row][Field(packet, name)];
    return Q(apps::BrazilianAmount(value.is_number() ? value.get<double>() : 0.0));
  };
  totals_->setText(QStringLiteral("Extrato %1: %2 movimento(s), créditos %3, débitos %4.")
                       .arg(Q(query.statement), Q(Text(rows[row][Field(packet, "QTMOVREAL")])),
                            amount("VRCREDITOS"), amount("VRDEBITOS")));
}

void StatementsWindow::DrawChart() {
  auto* chart = new QChart;
  chart->setLocalizeNumbers(true);
  chart->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
  chart->setTitle(QStringLiteral("Saldo ao fim de cada dia"));
  lines_.clear();
  if (all_accounts_->isChecked()) {
    for (int i = 0; i < accounts_->count(); ++i) {
      std::string account = accounts_->itemData(i).toString().toStdString();
      AddAccountLine(*chart, account, account == Account());
    }
  } else if (!Account().empty()) {
    AddAccountLine(*chart, Account(), true);
  }
  auto* x = new QDateTimeAxis;
  x->setFormat(QStringLiteral("dd/MM/yyyy"));
  x->setTickCount(6);
  x->setRange(QDateTime(from_->date(), QTime(0, 0), Qt::UTC),
              QDateTime(to_->date(), QTime(23, 59), Qt::UTC));
  auto* y = new QValueAxis;
  y->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  // Every account's line in range, not only the first one's.
  qreal low = 0, high = 0;
  bool any = false;
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(x);
    series->attachAxis(y);
    for (const QPointF& point : static_cast<QLineSeries*>(series)->points()) {
      low = any ? std::min(low, point.y()) : point.y();
      high = any ? std::max(high, point.y()) : point.y();
      any = true;
    }
  }
  if (any)
    y->setRange(low, high);
  y->applyNiceNumbers();
  chart->legend()->setAlignment(Qt::AlignBottom);
  QChart* old = chart_->chart();
  chart_->setChart(chart);
  delete old;
}

// One series for each run of days without a gap, all in the account's colour;
// steps, since a balance holds until the next day that changes it.
void StatementsWindow::AddAccountLine(QChart& chart, const std::string& account, bool chosen) {
  apps::MovementQuery query;
  query.account = account;
  query.from = ToDate(from_->date());
  query.to = ToDate(to_->date());
  json daily = kNoRows;
  json statements = kNoRows;
  try {
    daily = client_.Call("GetSaldosDiarios", {account, query.from.ToIso(), query.to.ToIso()});
    statements = chosen ? statements_packet_ : apps::ReadStatements(Call(), query);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  apps::BalanceLine& line =
      lines_.insert_or_assign(account, apps::BalanceLine(daily, statements)).first->second;
  QColor colour;
  bool first = true;
  for (const auto& segment : line.Segments()) {
    auto* series = new QLineSeries;
    series->setName(QStringLiteral("Conta %1").arg(Q(account)));
    series->setPointsVisible(true);
    for (std::size_t i = 0; i < segment.size(); ++i) {
      if (i > 0)
        series->append(DayX(segment[i].date), segment[i - 1].balance);
      series->append(DayX(segment[i].date), segment[i].balance);
    }
    chart.addSeries(series);
    if (first) {
      colour = series->color();
    } else {
      series->setColor(colour);
      for (QLegendMarker* marker : chart.legend()->markers(series))
        marker->setVisible(false);
    }
    QPen pen = series->pen();
    pen.setWidth(chosen ? 3 : 1);
    series->setPen(pen);
    first = false;
    connect(series, &QLineSeries::hovered, this, [this, account](const QPointF& point, bool on) {
      if (!on)
        return;
      QDate day = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x()), Qt::UTC).date();
      QString text = StatementOn(account, day);
      pointer_->setText(text);
      QToolTip::showText(QCursor::pos(), text, chart_);
    });
  }
}

QString StatementsWindow::StatementOn(const std::string& account, const QDate& day) const {
  auto line = lines_.find(account);
  if (line == lines_.end())
    return {};
  std::optional<apps::StatementSpan> statement = line->second.StatementOn(ToDate(day));
  if (!statement)
    return {};
  return QStringLiteral("Conta %1, extrato %2: %3 a %4")
      .arg(Q(account), Q(statement->code), Q(apps::BrazilianDate(statement->from)),
           Q(apps::BrazilianDate(statement->to)));
}

std::optional<std::string> StatementsWindow::Export(apps::ExportFormat format,
                                                    const std::string& path) {
  if (Account().empty())
    return std::string("Escolha uma conta.");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out)
    return fmt::format("Não foi possível gravar o arquivo {}.", path);
  try {
    apps::Export(Call(), Query(), format, out);
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  out.close();
  if (!out)
    return fmt::format("Não foi possível gravar o arquivo {}.", path);
  return std::nullopt;
}

void StatementsWindow::ExportClicked(apps::ExportFormat format) {
  bool csv = format == apps::ExportFormat::kCsv;
  apps::MovementQuery query = Query();
  QString name =
      QStringLiteral("extrato-%1%2.%3")
          .arg(Q(query.account), query.statement.empty() ? QString() : Q("-" + query.statement),
               csv ? QStringLiteral("csv") : QStringLiteral("ofx"));
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Exportar movimentos"), name,
      csv ? QStringLiteral("Planilha CSV (*.csv)") : QStringLiteral("Arquivo OFX (*.ofx)"));
  if (path.isEmpty())
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::optional<std::string> failure = Export(format, path.toStdString());
  QApplication::restoreOverrideCursor();
  if (failure)
    ShowError(*failure);
}

void StatementsWindow::ShowError(const std::string& text) {
  ShowMessageBox(this, {host::DialogType::kError, text, std::nullopt});
}

}  // namespace gui
