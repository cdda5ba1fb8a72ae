// The tables that clients write through change sets and packets, column by column.
#ifndef EXTRATO_SERVER_TABLES_H_
#define EXTRATO_SERVER_TABLES_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/record_set.h"

namespace server {

enum class ColumnType { kText, kDate, kAmount };

struct Column {
  std::string_view name;
  ColumnType type = ColumnType::kText;
  int size = 0;  // maximum characters of a text column
  bool key = false;
};

struct Table {
  std::string_view name;
  std::span<const Column> columns;
  // Names one row in messages, from its key values in key order ({0}, {1}).
  std::string_view row_label;
};

extern const Table kDiretorioTable;
extern const Table kExtrBancoTable;
extern const Table kMovRealTable;

host::FieldType ToFieldType(ColumnType type);

// The table's columns as the fields of a packet.
std::vector<host::FieldDef> FieldDefs(const Table& table);

// "o extrato 0000000001 da conta corrente 001".
std::string RowLabel(const Table& table, const std::vector<std::string>& key_values);

}  // namespace server

#endif  // EXTRATO_SERVER_TABLES_H_
