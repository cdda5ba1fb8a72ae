// How the fields of a client's packet or change set fall on a table's columns.
#ifndef EXTRATO_SERVER_FIELD_MAPPING_H_
#define EXTRATO_SERVER_FIELD_MAPPING_H_

#include <string>
#include <string_view>
#include <vector>

#include "host/record_set.h"
#include "server/expected.h"
#include "server/tables.h"

namespace server {

class FieldMapping {
 public:
  // Fails when a field is not a column of the table, has another type than its
  // column, comes twice, or when a key column has no field.
  static Expected<FieldMapping> Make(const Table& table, const std::vector<host::FieldDef>& fields);

  const Table& table() const { return *table_; }
  std::size_t size() const { return columns_.size(); }
  // The column of the field at this position.
  const Column& column(std::size_t field) const { return *columns_[field]; }

  // Every key value present and not empty, texts within their column's size,
  // amounts within range. `where` names the row in the message ("Movimento 3").
  Status CheckRow(const host::Row& row, std::string_view where) const;

  // The row's key values, in the table's key order, as text.
  std::vector<std::string> KeyValues(const host::Row& row) const;

 private:
  FieldMapping(const Table& table, std::vector<const Column*> columns,
               std::vector<std::size_t> key_fields)
      : table_(&table), columns_(std::move(columns)), key_fields_(std::move(key_fields)) {}

  const Table* table_;
  std::vector<const Column*> columns_;   // per field
  std::vector<std::size_t> key_fields_;  // field positions of the key columns, in key order
};

}  // namespace server

#endif  // EXTRATO_SERVER_FIELD_MAPPING_H_
