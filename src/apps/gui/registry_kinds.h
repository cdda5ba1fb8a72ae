#ifndef EXTRATO_APPS_GUI_REGISTRY_KINDS_H_
#define EXTRATO_APPS_GUI_REGISTRY_KINDS_H_

// What each window of the "Cadastros" menu lists and edits, as data: one window
// class serves them all.

#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "host/net_connection.h"

namespace gui {

// A field of the edit form, in the order the add and change methods take it.
struct FormField {
  QString label;
  std::string column;  // the listed column it starts from when changing a row
  int max_length = 0;
  QStringList choices;  // shown in a drop-down instead of free text
  QStringList values;   // what each choice sends; empty: the choice itself
  bool key = false;     // names the row: fixed when changing it
};

// A field typed in, at most `max_length` characters.
FormField TypedField(QString label, std::string column, int max_length, bool key = false);
// A field picked from `choices`, each sending its value.
FormField PickedField(QString label, std::string column, QStringList choices, QStringList values);

struct ListedColumn {
  std::string field;
  QString heading;
  // The cell as people read it, from the server's value; null: as it comes. A cell
  // shown otherwise has the value as its tip.
  QString (*shown)(const std::string& value) = nullptr;
};

struct RegistryKind {
  QString title;
  QString object_name;
  std::string list_method;
  host::Variant list_params = host::Variant::array();
  std::vector<ListedColumn> columns;
  std::vector<FormField> form;
  // Sent before the form's values (and before the key when removing).
  host::Variant prefix = host::Variant::array();
  std::string add_method;     // empty: no "Incluir"
  std::string change_method;  // empty: no "Alterar"
  std::string remove_method;  // takes the key of the selected row
  host::Variant remove_suffix = host::Variant::array();
  std::string key_column;  // the listed column that names a row
  QString remove_caption = QStringLiteral("Excluir");
  QString remove_question;  // "%1" is the key, "%2" on the values of question_columns
  std::vector<std::string> question_columns;
  // Told once a removal is done: "%1" is the key, "%2" on the values of the
  // server's answer named by removed_fields. Empty: the list alone shows it.
  QString removed_message;
  std::vector<std::string> removed_fields;
};

RegistryKind BanksKind();
RegistryKind AccountsKind();
RegistryKind LayoutsKind(const std::string& company);
RegistryKind ImportsKind();

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_REGISTRY_KINDS_H_
