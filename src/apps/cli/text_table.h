#ifndef EXTRATO_APPS_CLI_TEXT_TABLE_H_
#define EXTRATO_APPS_CLI_TEXT_TABLE_H_

// Rows of a server packet, as a person reads them on a terminal and as --json
// objects.

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace cli {

// One column shown: the packet's field, its key in --json, its heading.
struct ShownColumn {
  std::string_view field;
  std::string_view key;
  std::string_view heading;
};

// The columns in rows of text, aligned, under their headings; `empty` when there
// are no rows.
std::string TextTable(const nlohmann::json& packet, const std::vector<ShownColumn>& columns,
                      const std::string& empty);

// The rows as objects {key: value}.
nlohmann::json JsonRows(const nlohmann::json& packet, const std::vector<ShownColumn>& columns);

// The value of `field` in a row of the packet, as text ("" for null).
std::string Cell(const nlohmann::json& packet, const nlohmann::json& row, std::string_view field);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_TEXT_TABLE_H_
