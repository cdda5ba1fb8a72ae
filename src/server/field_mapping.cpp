#include "server/field_mapping.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/stored_range.h"
#include "host/utf8.h"
#include "server/sql_value.h"

namespace server {

namespace {

const Column* FindColumn(const Table& table, std::string_view name) {
  for (const Column& column : table.columns) {
    if (column.name == name)
      return &column;
  }
  return nullptr;
}

Status CheckValue(const Column& column, const host::FieldValue& value, std::string_view where) {
  if (column.key && (std::holds_alternative<std::monostate>(value) ||
                     (column.type == ColumnType::kText && std::get<std::string>(value).empty()))) {
    return Failure{fmt::format("{}: o campo {} faz parte da chave e não pode ficar vazio.", where,
                               column.name)};
  }
  if (const auto* text = std::get_if<std::string>(&value)) {
    if (host::Utf8Length(*text) > static_cast<std::size_t>(column.size)) {
      return Failure{fmt::format("{}: o campo {} excede o tamanho máximo ({}).", where, column.name,
                                 column.size)};
    }
    // PostgreSQL refuses it and SQLite would keep it: both refuse it the same way.
    if (text->find('\0') != std::string::npos) {
      return Failure{fmt::format("{}: o campo {} contém um byte nulo (\\0), que não é gravado.",
                                 where, column.name)};
    }
  }
  if (const auto* date = std::get_if<host::Date>(&value); date && !host::IsStorableDate(*date)) {
    return Failure{fmt::format("{}: a data {} do campo {} está fora do intervalo aceito.", where,
                               date->ToIso(), column.name)};
  }
  if (const auto* amount = std::get_if<double>(&value); amount && !AmountToCents(*amount)) {
    return Failure{fmt::format("{}: o valor {} do campo {} está fora do intervalo aceito.", where,
                               *amount, column.name)};
  }
  return Ok();
}

}  // namespace

Expected<FieldMapping> FieldMapping::Make(const Table& table,
                                          const std::vector<host::FieldDef>& fields) {
  std::vector<const Column*> columns;
  for (const host::FieldDef& field : fields) {
    const Column* column = FindColumn(table, field.name);
    if (!column) {
      return Failure{fmt::format("O campo {} não existe na tabela {}.", field.name, table.name)};
    }
    if (ToFieldType(column->type) != field.type) {
      return Failure{
          fmt::format("O campo {} da tabela {} tem outro tipo.", field.name, table.name)};
    }
    if (std::find(columns.begin(), columns.end(), column) != columns.end()) {
      return Failure{fmt::format("O campo {} aparece duas vezes.", field.name)};
    }
    columns.push_back(column);
  }
  std::vector<std::size_t> key_fields;
  for (const Column& column : table.columns) {
    if (!column.key)
      continue;
    auto found = std::find(columns.begin(), columns.end(), &column);
    if (found == columns.end()) {
      return Failure{
          fmt::format("Falta o campo {}, da chave da tabela {}.", column.name, table.name)};
    }
    key_fields.push_back(static_cast<std::size_t>(found - columns.begin()));
  }
  return FieldMapping(table, std::move(columns), std::move(key_fields));
}

Status FieldMapping::CheckRow(const host::Row& row, std::string_view where) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Status status = CheckValue(*columns_[i], row[i], where);
    if (!status.ok())
      return status;
  }
  return Ok();
}

std::vector<std::string> FieldMapping::KeyValues(const host::Row& row) const {
  std::vector<std::string> values;
  for (std::size_t field : key_fields_)
    values.push_back(ToSqlValue(row[field]).text);
  return values;
}

}  // namespace server
