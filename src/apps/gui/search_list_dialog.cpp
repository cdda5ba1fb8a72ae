#include "apps/gui/search_list_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

QTableWidget* MakeTable(const host::SearchListRequest& request, QWidget* parent) {
  auto* table = new QTableWidget(static_cast<int>(request.rows.size()),
                                 static_cast<int>(request.column_titles.size()), parent);
  std::size_t columns = request.column_titles.size();
  QStringList titles;
  for (const std::string& title : request.column_titles)
    titles << QString::fromStdString(title);
  table->setHorizontalHeaderLabels(titles);
  for (std::size_t row = 0; row < request.rows.size(); ++row) {
    const auto& values = request.rows[row];
    for (std::size_t column = 0; column < std::min(values.size(), columns); ++column) {
      table->setItem(static_cast<int>(row), static_cast<int>(column),
                     new QTableWidgetItem(QString::fromStdString(values[column])));
    }
  }
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  table->resizeColumnsToContents();
  if (!request.rows.empty())
    table->selectRow(0);
  return table;
}

}  // namespace

SearchListDialog::SearchListDialog(const host::SearchListRequest& request, QWidget* parent)
    : QDialog(parent), table_(MakeTable(request, this)) {
  setWindowTitle(QString::fromStdString(request.title));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(420, 320);
}

std::optional<std::size_t> SearchListDialog::PickedRow() const {
  int row = table_->currentRow();
  if (result() != QDialog::Accepted || row < 0)
    return std::nullopt;
  return static_cast<std::size_t>(row);
}

std::optional<std::size_t> PickFromList(QWidget* parent, const host::SearchListRequest& request) {
  SearchListDialog dialog(request, parent);
  dialog.exec();
  return dialog.PickedRow();
}

}  // namespace gui
