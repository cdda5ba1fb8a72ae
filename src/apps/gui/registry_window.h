#ifndef EXTRATO_APPS_GUI_REGISTRY_WINDOW_H_
#define EXTRATO_APPS_GUI_REGISTRY_WINDOW_H_

#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>

#include "apps/gui/registry_kinds.h"
#include "apps/gui/service_client.h"

namespace gui {

// A list of the server's rows with the buttons that change them: the banks, the
// accounts, the company's layouts, or the imports with their undo.
class RegistryWindow : public QDialog {
  Q_OBJECT

 public:
  explicit RegistryWindow(RegistryKind kind, QWidget* parent = nullptr);

  QTableWidget& Table() const { return *table_; }
  const RegistryKind& Kind() const { return kind_; }

  // Lists the rows again; a failure is shown as an error.
  void Reload();
  // Adds or changes a row from the form's values, in the form's order; answers
  // the server's refusal, nothing when it stored them. The list follows.
  std::optional<std::string> Store(const std::vector<std::string>& values, bool adding);
  // Removes (or undoes) the row named by `key`; answers the server's refusal, and
  // puts its answer in `answer` when given.
  std::optional<std::string> Remove(const std::string& key, host::Variant* answer = nullptr);

  // The buttons: they ask in dialogs, then call the above.
  void AddClicked();
  void ChangeClicked();
  void RemoveClicked();

 private:
  std::optional<std::string> Run(const std::string& method, host::Variant params,
                                 host::Variant* answer = nullptr);
  void FitColumns();
  // The index of the listed column of `field`.
  int ColumnOf(const std::string& field) const;
  // The selected row's value of `column`; empty without a selection.
  std::string Selected(const std::string& column) const;
  // The form filled from `values`; true when the user confirmed it.
  bool EditInForm(std::vector<std::string>& values, bool adding);
  void ShowError(const std::string& text);

  RegistryKind kind_;
  ServiceClient client_;
  host::Variant rows_;  // the packet listed
  QTableWidget* table_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_REGISTRY_WINDOW_H_
