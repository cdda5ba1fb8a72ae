#include "apps/cli/text_table.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/utf8.h"
#include "host/visible_text.h"

namespace cli {

namespace {

using nlohmann::json;

std::size_t FieldIndex(const json& packet, std::string_view field) {
  const json& fields = packet.at("fields");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i][0].get<std::string>() == field)
      return i;
  }
  throw std::runtime_error(fmt::format("A resposta do servidor não tem o campo {}.", field));
}

std::string Text(const json& value) {
  if (value.is_null())
    return "";
  if (value.is_string())
    return value.get<std::string>();
  return value.dump();
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, host::Utf8Length(text)), ' ');
}

}  // namespace

std::string Cell(const json& packet, const json& row, std::string_view field) {
  return Text(row.at(FieldIndex(packet, field)));
}

std::string TextTable(const json& packet, const std::vector<ShownColumn>& columns,
                      const std::string& empty) {
  const json& rows = packet.at("rows");
  if (rows.empty())
    return empty;
  std::vector<std::vector<std::string>> cells(1);
  for (const ShownColumn& column : columns)
    cells[0].emplace_back(column.heading);
  for (const json& row : rows) {
    cells.emplace_back();
    // A file's name, as the history lists it, may hold anything a terminal obeys.
    for (const ShownColumn& column : columns)
      cells.back().push_back(host::VisibleText(Cell(packet, row, column.field)));
  }
  std::vector<std::size_t> widths(columns.size(), 0);
  for (const auto& line : cells) {
    for (std::size_t i = 0; i < line.size(); ++i)
      widths[i] = std::max(widths[i], host::Utf8Length(line[i]));
  }
  std::string table;
  for (const auto& line : cells) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i)
      text += i + 1 < line.size() ? Padded(line[i], widths[i]) + "  " : line[i];
    table += text + "\n";
  }
  return table;
}

json JsonRows(const json& packet, const std::vector<ShownColumn>& columns) {
  json rows = json::array();
  for (const json& row : packet.at("rows")) {
    json object = json::object();
    for (const ShownColumn& column : columns)
      object[std::string(column.key)] = row.at(FieldIndex(packet, column.field));
    rows.push_back(object);
  }
  return rows;
}

}  // namespace cli
