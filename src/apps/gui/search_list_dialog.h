#ifndef EXTRATO_APPS_GUI_SEARCH_LIST_DIALOG_H_
#define EXTRATO_APPS_GUI_SEARCH_LIST_DIALOG_H_

#include <optional>

#include <QDialog>
#include <QTableWidget>

#include "host/ui_services.h"

namespace gui {

// The list a search button offers: one row per record, one column per visible
// field. A double click, Enter or "OK" picks the current row.
class SearchListDialog : public QDialog {
  Q_OBJECT

 public:
  SearchListDialog(const host::SearchListRequest& request, QWidget* parent = nullptr);

  QTableWidget& Table() { return *table_; }
  // The row the user picked, once the dialog was accepted.
  std::optional<std::size_t> PickedRow() const;

 private:
  QTableWidget* table_;
};

// Shows the list modally: the picked row's index, or nothing on a cancel.
std::optional<std::size_t> PickFromList(QWidget* parent, const host::SearchListRequest& request);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SEARCH_LIST_DIALOG_H_
