#include "server/movement_writer.h"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>

#include "server/database.h"
#include "server/field_mapping.h"
#include "server/query.h"
#include "server/stored_movements.h"
#include "server/tables.h"

namespace server {

namespace {

// Rows per INSERT: many rows per statement spare a round trip per row on PostgreSQL,
// and 500 rows of 12 columns stay well inside both databases' parameter limits.
constexpr std::size_t kBatchRows = 500;

std::string InsertSql(const FieldMapping& mapping, std::size_t rows) {
  std::string columns, values;
  for (std::size_t i = 0; i < mapping.size(); ++i) {
    columns += fmt::format("{}{}", i ? ", " : "", mapping.column(i).name);
  }
  for (std::size_t r = 0; r < rows; ++r) {
    values += r ? ", (" : "(";
    for (std::size_t i = 0; i < mapping.size(); ++i) {
      values += fmt::format("{}:v{}_{}", i ? ", " : "", r, i);
    }
    values += ")";
  }
  return fmt::format("INSERT INTO {} ({}) VALUES {}", kMovRealTable.name, columns, values);
}

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

// One prepared INSERT of `rows` rows, run again for each batch of that size.
class BatchInsert {
 public:
  BatchInsert(soci::session& session, const FieldMapping& mapping, std::size_t rows)
      : statement_(session), values_(rows * mapping.size()) {
    BindAll(statement_, values_);
    statement_.alloc();
    statement_.prepare(InsertSql(mapping, rows));
    statement_.define_and_bind();
  }

  void Run(const host::PackedRows& rows, std::size_t first) {
    std::size_t k = 0;
    for (std::size_t r = first; k < values_.size(); ++r) {
      rows.Unpack(r, row_);
      for (const host::FieldValue& value : row_)
        values_[k++] = ToSqlValue(value);
    }
    statement_.execute(true);
  }

 private:
  soci::statement statement_;
  std::vector<SqlValue> values_;
  host::Row row_;
};

}  // namespace

Expected<bool> InsertMovements(soci::session& session, const host::PackedPacket& movements,
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
  if (refuse_stored && AnyStored(session, movements))
    return false;
  const host::PackedRows& rows = movements.rows;
  std::size_t full = rows.size() / kBatchRows * kBatchRows;
  try {
    if (full > 0) {
      BatchInsert batch(session, mapping.value(), kBatchRows);
      for (std::size_t first = 0; first < full; first += kBatchRows)
        batch.Run(rows, first);
    }
    if (full < rows.size())
      BatchInsert(session, mapping.value(), rows.size() - full).Run(rows, full);
  } catch (const soci::soci_error& e) {
    if (IsDuplicateKey(e))
      return false;
    throw;
  }
  return true;
}

}  // namespace server
