#include "server/movement_writer.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>

#include "server/database.h"
#include "server/field_mapping.h"
#include "server/movement_copy.h"
#include "server/sql_value.h"
#include "server/sqlite_statement.h"
#include "server/stored_movements.h"
#include "server/tables.h"

namespace server {

namespace {

constexpr std::string_view kNumberColumn = "NRLOGIMP";

Status CheckRows(const FieldMapping& mapping, const host::PackedRows& rows) {
  std::size_t number = 0;
  for (const host::Row& row : rows) {
    Status status = mapping.CheckRow(row, fmt::format("Movimento {}", ++number));
    if (!status.ok())
      return status;
  }
  return Ok();
}

std::string JoinedKey(const FieldMapping& mapping, const host::Row& row) {
  std::string key;
  for (const std::string& value : mapping.KeyValues(row)) {
    key += value;
    key += '\0';
  }
  return key;
}

// Sorted hashes of the keys, the rows behind equal hashes compared after: a set of
// the keys themselves would cost more than the rows.
bool KeysRepeat(const FieldMapping& mapping, const host::PackedRows& rows) {
  std::vector<std::pair<std::size_t, std::size_t>> hashes;  // hash, row
  hashes.reserve(rows.size());
  for (const host::Row& row : rows)
    hashes.emplace_back(std::hash<std::string>{}(JoinedKey(mapping, row)), hashes.size());
  std::sort(hashes.begin(), hashes.end());
  for (std::size_t i = 1; i < hashes.size(); ++i) {
    if (hashes[i].first == hashes[i - 1].first &&
        JoinedKey(mapping, rows[hashes[i].second]) ==
            JoinedKey(mapping, rows[hashes[i - 1].second]))
      return true;
  }
  return false;
}

// The import number of each row's account, looked up once per run of rows of one
// account: a submission's rows come account by account.
class RowNumbers {
 public:
  RowNumbers(const FieldMapping& mapping, const ImportNumbers& numbers) : numbers_(numbers) {
    while (mapping.column(field_).name != "CDREDUCONT")
      ++field_;
  }

  const std::string& Of(const host::Row& row) {
    const std::string& account = std::get<std::string>(row[field_]);
    if (number_ == nullptr || account != account_) {
      account_ = account;
      number_ = &numbers_.at(account);
    }
    return *number_;
  }

 private:
  const ImportNumbers& numbers_;
  std::size_t field_ = 0;
  std::string account_;
  const std::string* number_ = nullptr;
};

// SQLite: one prepared INSERT run once per row, each value bound as the column keeps
// it. What the database stores is what binding the values as text stored: a date's
// ISO text, an amount's cents as the REAL their decimal text converts to.
class SqliteInsert {
 public:
  SqliteInsert(soci::session& session, const FieldMapping& mapping)
      : statement_(session, InsertText(mapping)) {}

  void Run(const host::Row& row, const std::string& number) {
    int at = 0;
    for (const host::FieldValue& value : row)
      Bind(++at, value);
    statement_.BindKeptText(++at, number);
    statement_.StepOnce();
  }

 private:
  static std::string InsertText(const FieldMapping& mapping) {
    std::string columns, marks;
    for (std::size_t i = 0; i < mapping.size(); ++i) {
      columns += fmt::format("{}, ", mapping.column(i).name);
      marks += "?, ";
    }
    return fmt::format("INSERT INTO {} ({}{}) VALUES ({}?)", kMovRealTable.name, columns,
                       kNumberColumn, marks);
  }

  void Bind(int at, const host::FieldValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      statement_.BindKeptText(at, *text);
    } else if (const auto* date = std::get_if<host::Date>(&value)) {
      statement_.BindCopiedText(at, date->ToIso());
    } else if (const auto* amount = std::get_if<double>(&value)) {
      // The division is rounded as reading "12.30" is: to the double nearest the cents.
      statement_.BindDouble(at, static_cast<double>(*AmountToCents(*amount)) / 100.0);
    } else {
      statement_.BindNull(at);
    }
  }

  SqliteStatement statement_;
};

void InsertOneByOne(soci::session& session, const FieldMapping& mapping,
                    const host::PackedRows& rows, const ImportNumbers& numbers) {
  SqliteInsert insert(session, mapping);
  RowNumbers number(mapping, numbers);
  for (const host::Row& row : rows)
    insert.Run(row, number.Of(row));
}

}  // namespace

Expected<bool> MovementsFit(soci::session& session, const host::PackedPacket& movements,
                            bool refuse_stored) {
  if (movements.rows.empty())
    return true;  // whatever its fields: a statement without movements stores none
  auto mapping = FieldMapping::Make(kMovRealTable, movements.fields);
  if (!mapping.ok())
    return mapping.failure();
  Status rows_fit = CheckRows(mapping.value(), movements.rows);
  if (!rows_fit.ok())
    return rows_fit.failure();
  if (KeysRepeat(mapping.value(), movements.rows))
    return false;
  return !(refuse_stored && AnyStored(session, movements));
}

bool InsertMovements(soci::session& session, const host::PackedPacket& movements,
                     const ImportNumbers& numbers) {
  if (movements.rows.empty())
    return true;
  FieldMapping mapping = FieldMapping::Make(kMovRealTable, movements.fields).value();
  try {
    // PostgreSQL takes a stream of rows far faster than statements binding them.
    if (session.get_backend_name() == "postgresql") {
      RowNumbers number(mapping, numbers);
      CopyRows(session, mapping, movements.rows, kNumberColumn,
               [&](const host::Row& row) -> const std::string& { return number.Of(row); });
    } else {
      InsertOneByOne(session, mapping, movements.rows, numbers);
    }
  } catch (const soci::soci_error& e) {
    if (IsDuplicateKey(e))
      return false;
    throw;
  }
  return true;
}

}  // namespace server
