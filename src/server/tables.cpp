#include "server/tables.h"

#include <array>

#include <fmt/args.h>
#include <fmt/format.h>

namespace server {

namespace {

constexpr std::array kDiretorioColumns = {
    Column{"CDPROGRAMA", ColumnType::kText, 8, true},
    Column{"DSDIRETORIO", ColumnType::kText, 100},
};

constexpr std::array kExtrBancoColumns = {
    Column{"CDREDUCONT", ColumnType::kText, 3, true},
    Column{"CDSEQUEXTR", ColumnType::kText, 10, true},
    Column{"DTSALDINIC", ColumnType::kDate},
    Column{"DTSALDFIN", ColumnType::kDate},
    Column{"VRSALDINIC", ColumnType::kAmount},
    Column{"VRSALDFIM", ColumnType::kAmount},
    Column{"IDEXTRINI", ColumnType::kText, 1},
    Column{"IDEXTRFIM", ColumnType::kText, 1},
};

constexpr std::array kMovRealColumns = {
    Column{"CDREDUCONT", ColumnType::kText, 3, true},
    Column{"CDSEQUEXTR", ColumnType::kText, 10, true},
    Column{"NRSEQMOVREAL", ColumnType::kText, 10, true},
    Column{"NRDOCMOVREAL", ColumnType::kText, 20},
    Column{"DTMOVREAL", ColumnType::kDate},
    Column{"VRMOVREAL", ColumnType::kAmount},
    Column{"IDMOVREAL", ColumnType::kText, 1},
    Column{"DSHISTMOVREAL", ColumnType::kText, 40},
    Column{"IDTIPOREGI", ColumnType::kText, 2},
    Column{"CDCATELANC", ColumnType::kText, 4},
    Column{"IDSTCONMVBAN", ColumnType::kText, 1},
    Column{"IDTPMOVREAL", ColumnType::kText, 1},
};

}  // namespace

const Table kDiretorioTable{"DIRETORIO", kDiretorioColumns, "diretório do programa {0}"};
const Table kExtrBancoTable{"EXTRBANCO", kExtrBancoColumns, "extrato {1} da conta corrente {0}"};
const Table kMovRealTable{"MOVREAL", kMovRealColumns,
                          "movimento {2} do extrato {1} da conta corrente {0}"};

host::FieldType ToFieldType(ColumnType type) {
  switch (type) {
    case ColumnType::kText:
      return host::FieldType::kText;
    case ColumnType::kDate:
      return host::FieldType::kDate;
    case ColumnType::kAmount:
      return host::FieldType::kFloat;
  }
  return host::FieldType::kText;
}

std::vector<host::FieldDef> FieldDefs(const Table& table) {
  std::vector<host::FieldDef> fields;
  for (const Column& column : table.columns) {
    fields.push_back({std::string(column.name), ToFieldType(column.type), column.size});
  }
  return fields;
}

std::string RowLabel(const Table& table, const std::vector<std::string>& key_values) {
  fmt::dynamic_format_arg_store<fmt::format_context> args;
  for (const std::string& value : key_values)
    args.push_back(value);
  return fmt::vformat(table.row_label, args);
}

}  // namespace server
