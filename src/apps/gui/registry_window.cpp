#include "apps/gui/registry_window.h"

#include <functional>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "apps/gui/message_dialogs.h"

namespace gui {

namespace {

std::string Text(const host::Variant& value) {
  if (value.is_null())
    return "";
  return value.is_string() ? value.get<std::string>() : value.dump();
}

// The value of `column` in a row of the packet.
std::string CellOf(const host::Variant& packet, const host::Variant& row,
                   const std::string& column) {
  const host::Variant& fields = packet.value("fields", host::Variant::array());
  for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i) {
    if (fields[i][0] == column)
      return Text(row[i]);
  }
  return "";
}

QWidget* Editor(const FormField& field, const std::string& value) {
  if (!field.choices.isEmpty()) {
    auto* box = new QComboBox;
    box->addItems(field.choices);
    const QStringList& values = field.values.isEmpty() ? field.choices : field.values;
    int index = values.indexOf(QString::fromStdString(value));
    box->setCurrentIndex(index < 0 ? 0 : index);
    return box;
  }
  // No cut at the field's size: a longer text goes to the server, which refuses
  // it and says why, instead of a text stored without its end.
  auto* edit = new QLineEdit(QString::fromStdString(value));
  edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * (field.max_length + 2));
  return edit;
}

std::string EditorValue(const FormField& field, const QWidget* editor) {
  if (const auto* box = qobject_cast<const QComboBox*>(editor)) {
    const QStringList& values = field.values.isEmpty() ? field.choices : field.values;
    return values.value(box->currentIndex()).toStdString();
  }
  return qobject_cast<const QLineEdit*>(editor)->text().toStdString();
}

}  // namespace

RegistryWindow::RegistryWindow(RegistryKind kind, QWidget* parent)
    : QDialog(parent), kind_(std::move(kind)), table_(new QTableWidget) {
  setObjectName(kind_.object_name);
  setWindowTitle(kind_.title);
  resize(640, 360);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);

  auto* buttons = new QHBoxLayout;
  auto add_button = [&](const QString& caption, const char* name, std::function<void()> slot) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, std::move(slot));
    buttons->addWidget(button);
  };
  if (!kind_.add_method.empty())
    add_button(QStringLiteral("Incluir"), "btnIncluir", [this] { AddClicked(); });
  if (!kind_.change_method.empty())
    add_button(QStringLiteral("Alterar"), "btnAlterar", [this] { ChangeClicked(); });
  add_button(kind_.remove_caption, "btnExcluir", [this] { RemoveClicked(); });
  buttons->addStretch();
  add_button(QStringLiteral("Fechar"), "btnFechar", [this] { close(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  Reload();
}

void RegistryWindow::Reload() {
  try {
    rows_ = client_.Call(kind_.list_method, kind_.list_params);
  } catch (const std::exception& e) {
    rows_ = host::Variant{{"fields", host::Variant::array()}, {"rows", host::Variant::array()}};
    ShowError(e.what());
  }
  const host::Variant& rows = rows_["rows"];
  table_->clear();
  table_->setColumnCount(static_cast<int>(kind_.columns.size()));
  table_->setRowCount(static_cast<int>(rows.size()));
  QStringList headings;
  for (const ListedColumn& column : kind_.columns)
    headings << column.heading;
  table_->setHorizontalHeaderLabels(headings);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < kind_.columns.size(); ++c) {
      const ListedColumn& column = kind_.columns[c];
      QString value = QString::fromStdString(CellOf(rows_, rows[r], column.field));
      auto* item = new QTableWidgetItem(
          column.shown && !value.isEmpty() ? column.shown(value.toStdString()) : value);
      item->setToolTip(value);
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  table_->resizeColumnsToContents();
  FitColumns();
}

// Wide enough for every column as far as the screen allows; what is still too wide
// is taken from the widest columns, whose cells then end in "…" and show whole in
// their tips.
void RegistryWindow::FitColumns() {
  QMargins margins = layout()->contentsMargins();
  int around = table_->verticalScrollBar()->sizeHint().width() + 2 * table_->frameWidth() +
               margins.left() + margins.right();
  int columns = 0;
  for (int c = 0; c < table_->columnCount(); ++c)
    columns += table_->columnWidth(c);
  int fitted = std::min(std::max(width(), columns + around), screen()->availableGeometry().width());
  if (fitted != width())
    resize(fitted, height());
  for (int excess = columns + around - fitted; excess > 0;) {
    int widest = 0;
    for (int c = 1; c < table_->columnCount(); ++c) {
      if (table_->columnWidth(c) > table_->columnWidth(widest))
        widest = c;
    }
    int cut = std::min(excess, std::max(1, table_->columnWidth(widest) / 4));
    table_->setColumnWidth(widest, table_->columnWidth(widest) - cut);
    excess -= cut;
  }
}

std::optional<std::string> RegistryWindow::Run(const std::string& method, host::Variant params,
                                               host::Variant* answer) {
  try {
    host::Variant result = client_.Call(method, params);
    if (answer != nullptr)
      *answer = std::move(result);
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  Reload();
  return std::nullopt;
}

std::optional<std::string> RegistryWindow::Store(const std::vector<std::string>& values,
                                                 bool adding) {
  host::Variant params = kind_.prefix;
  for (const std::string& value : values)
    params.push_back(value);
  return Run(adding ? kind_.add_method : kind_.change_method, params);
}

std::optional<std::string> RegistryWindow::Remove(const std::string& key, host::Variant* answer) {
  host::Variant params = kind_.prefix;
  params.push_back(key);
  for (const host::Variant& value : kind_.remove_suffix)
    params.push_back(value);
  return Run(kind_.remove_method, params, answer);
}

std::string RegistryWindow::Selected(const std::string& column) const {
  int row = table_->currentRow();
  const host::Variant& rows = rows_["rows"];
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
    return "";
  return CellOf(rows_, rows[static_cast<std::size_t>(row)], column);
}

void RegistryWindow::AddClicked() {
  std::vector<std::string> values(kind_.form.size());
  // The form stays open on a refusal, with what was typed.
  while (EditInForm(values, true)) {
    std::optional<std::string> refused = Store(values, true);
    if (!refused)
      return;
    ShowError(*refused);
  }
}

void RegistryWindow::ChangeClicked() {
  if (Selected(kind_.key_column).empty())
    return ShowError("Escolha na lista a linha a alterar.");
  std::vector<std::string> values;
  for (const FormField& field : kind_.form)
    values.push_back(Selected(field.column));
  while (EditInForm(values, false)) {
    std::optional<std::string> refused = Store(values, false);
    if (!refused)
      return;
    ShowError(*refused);
  }
}

void RegistryWindow::RemoveClicked() {
  std::string key = Selected(kind_.key_column);
  if (key.empty())
    return ShowError("Escolha uma linha na lista.");
  QString asked = kind_.remove_question.arg(QString::fromStdString(key));
  for (const std::string& column : kind_.question_columns)
    asked = asked.arg(table_->item(table_->currentRow(), ColumnOf(column))->text());
  host::Question question{
      host::DialogType::kConfirmation, asked.toStdString(), {"Sim", "Não"}, std::nullopt};
  if (AskQuestion(this, question) != host::kFirstCaption)
    return;
  host::Variant answer;
  if (std::optional<std::string> refused = Remove(key, &answer))
    return ShowError(*refused);
  if (kind_.removed_message.isEmpty())
    return;
  QString told = kind_.removed_message.arg(QString::fromStdString(key));
  for (const std::string& field : kind_.removed_fields)
    told = told.arg(QString::fromStdString(Text(answer.value(field, host::Variant()))));
  ShowMessageBox(this, {host::DialogType::kInformation, told.toStdString(), std::nullopt});
}

int RegistryWindow::ColumnOf(const std::string& field) const {
  for (std::size_t c = 0; c < kind_.columns.size(); ++c) {
    if (kind_.columns[c].field == field)
      return static_cast<int>(c);
  }
  return 0;
}

bool RegistryWindow::EditInForm(std::vector<std::string>& values, bool adding) {
  QDialog form(this);
  form.setObjectName(QStringLiteral("frmCadastro"));
  form.setWindowTitle(QStringLiteral("%1 - %2").arg(
      kind_.title, adding ? QStringLiteral("Incluir") : QStringLiteral("Alterar")));
  auto* fields = new QFormLayout;
  std::vector<QWidget*> editors;
  for (std::size_t i = 0; i < kind_.form.size(); ++i) {
    QWidget* editor = Editor(kind_.form[i], values[i]);
    editor->setObjectName(QStringLiteral("campo%1").arg(i));
    editor->setEnabled(adding || !kind_.form[i].key);
    fields->addRow(kind_.form[i].label, editor);
    editors.push_back(editor);
  }
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("Gravar"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &form, &QDialog::reject);
  auto* layout = new QVBoxLayout(&form);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  if (form.exec() != QDialog::Accepted)
    return false;
  for (std::size_t i = 0; i < editors.size(); ++i)
    values[i] = EditorValue(kind_.form[i], editors[i]);
  return true;
}

void RegistryWindow::ShowError(const std::string& text) {
  ShowMessageBox(this, {host::DialogType::kError, text, std::nullopt});
}

}  // namespace gui
