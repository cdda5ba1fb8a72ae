#include "apps/gui/movement_model.h"

#include <algorithm>
#include <tuple>

#include "apps/common/brazilian_format.h"

namespace gui {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QString StatusText(const std::string& status) {
  return status == "0" ? QStringLiteral("Pendente") : Q(status);
}

// What a column sorts by.
auto SortKey(const apps::ListedMovement& m, int column) {
  using Key = std::tuple<double, std::string, std::string>;
  switch (column) {
    case MovementModel::kDocument:
      return Key{0, m.document, m.number};
    case MovementModel::kHistory:
      return Key{0, m.history, m.number};
    case MovementModel::kAmount:
      return Key{m.Signed(), "", m.number};
    case MovementModel::kSide:
      return Key{0, m.debit_credit, m.number};
    case MovementModel::kStatus:
      return Key{0, m.status, m.number};
    case MovementModel::kBalance:
      return Key{m.balance.value_or(0), "", m.number};
    case MovementModel::kNumber:
      return Key{0, m.statement, m.number};
    default:
      return Key{0, m.date.ToIso(), m.statement + m.number};
  }
}

}  // namespace

MovementModel::MovementModel(apps::ServerCall call, std::function<void(const std::string&)> failed,
                             QObject* parent)
    : QAbstractTableModel(parent), call_(std::move(call)), failed_(std::move(failed)) {}

void MovementModel::Show(apps::MovementQuery query) {
  beginResetModel();
  query_ = std::move(query);
  query_.page_size = kPageSize;
  rows_.clear();
  next_ = query_.account.empty() ? nlohmann::json() : nlohmann::json("");
  endResetModel();
  if (canFetchMore({}))
    fetchMore({});
}

int MovementModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MovementModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant MovementModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const apps::ListedMovement& m = At(index.row());
  if (role == Qt::TextAlignmentRole) {
    bool number = index.column() == kAmount || index.column() == kBalance;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole)
    return {};
  switch (index.column()) {
    case kNumber:
      return Q(m.number);
    case kDate:
      return Q(apps::BrazilianDate(m.date));
    case kDocument:
      return Q(m.document);
    case kHistory:
      return Q(m.history);
    case kAmount:
      return Q(apps::BrazilianAmount(m.amount));
    case kSide:
      return Q(m.debit_credit);
    case kStatus:
      return StatusText(m.status);
    case kBalance:
      return m.balance ? Q(apps::BrazilianAmount(*m.balance)) : QString();
  }
  return {};
}

QVariant MovementModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeadings[kColumns] = {"Mov.",  "Data", "Documento",   "Histórico",
                                                  "Valor", "D/C",  "Conciliação", "Saldo"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromUtf8(kHeadings[section]);
}

bool MovementModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !next_.is_null();
}

void MovementModel::fetchMore(const QModelIndex& parent) {
  if (canFetchMore(parent))
    FetchPage();
}

void MovementModel::FetchPage() {
  apps::MovementPage page;
  try {
    page = apps::ReadPage(call_, query_, next_);
  } catch (const std::exception& e) {
    next_ = nullptr;
    failed_(e.what());
    return;
  }
  next_ = std::move(page.next);
  if (page.movements.empty())
    return;
  int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(page.movements.size()) - 1);
  std::move(page.movements.begin(), page.movements.end(), std::back_inserter(rows_));
  endInsertRows();
}

void MovementModel::sort(int column, Qt::SortOrder order) {
  while (canFetchMore({}))
    FetchPage();
  emit layoutAboutToBeChanged();
  std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
    return order == Qt::AscendingOrder ? SortKey(a, column) < SortKey(b, column)
                                       : SortKey(b, column) < SortKey(a, column);
  });
  emit layoutChanged();
}

}  // namespace gui
