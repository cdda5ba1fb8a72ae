#include "server/movement_writer.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>

#include "server/database.h"
#include "server/field_mapping.h"
#include "server/movement_copy.h"
#include "server/sql_value.h"
#include "server/stored_movements.h"
#include "server/tables.h"

namespace server {

namespace {

constexpr std::string_view kNumberColumn = "NRLOGIMP";

// SQLite's SQLITE_STATIC and SQLITE_TRANSIENT, which name its type outside SOCI's
// namespace for it: the value is kept until the step, or copied.
const sqlite_api::sqlite3_destructor_type kKept = nullptr;
const auto kCopied = reinterpret_cast<sqlite_api::sqlite3_destructor_type>(-1);

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
      : db_(static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_) {
    std::string columns, marks;
    for (std::size_t i = 0; i < mapping.size(); ++i) {
      columns += fmt::format("{}, ", mapping.column(i).name);
      marks += "?, ";
    }
    std::string sql = fmt::format("INSERT INTO {} ({}{}) VALUES ({}?)", kMovRealTable.name, columns,
                                  kNumberColumn, marks);
    if (sqlite_api::sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
      Throw();
  }
  ~SqliteInsert() { sqlite_api::sqlite3_finalize(statement_); }
  SqliteInsert(const SqliteInsert&) = delete;
  SqliteInsert& operator=(const SqliteInsert&) = delete;

  void Run(const host::Row& row, const std::string& number) {
    int at = 0;
    for (const host::FieldValue& value : row)
      Bind(++at, value);
    sqlite_api::sqlite3_bind_text(statement_, ++at, number.data(), static_cast<int>(number.size()),
                                  kKept);
    int result = sqlite_api::sqlite3_step(statement_);
    sqlite_api::sqlite3_reset(statement_);
    if (result != SQLITE_DONE)
      Throw();
  }

 private:
  void Bind(int at, const host::FieldValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      sqlite_api::sqlite3_bind_text(statement_, at, text->data(), static_cast<int>(text->size()),
                                    kKept);
    } else if (const auto* date = std::get_if<host::Date>(&value)) {
      std::string iso = date->ToIso();
      sqlite_api::sqlite3_bind_text(statement_, at, iso.data(), static_cast<int>(iso.size()),
                                    kCopied);
    } else if (const auto* amount = std::get_if<double>(&value)) {
      // The division is rounded as reading "12.30" is: to the double nearest the cents.
      sqlite_api::sqlite3_bind_double(statement_, at,
                                      static_cast<double>(*AmountToCents(*amount)) / 100.0);
    } else {
      sqlite_api::sqlite3_bind_null(statement_, at);
    }
  }

  [[noreturn]] void Throw() {
    throw soci::sqlite3_soci_error(sqlite_api::sqlite3_errmsg(db_),
                                   sqlite_api::sqlite3_extended_errcode(db_));
  }

  sqlite_api::sqlite3* db_;
  sqlite_api::sqlite3_stmt* statement_ = nullptr;
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
