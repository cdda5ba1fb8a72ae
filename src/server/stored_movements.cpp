#include "server/stored_movements.h"

#include <algorithm>
#include <array>

#include <fmt/format.h>

#include "host/soci.h"
#include "server/query.h"

namespace server {

namespace {

// The lookup's columns, in the order its test names them.
constexpr std::array<std::string_view, 4> kLookupColumns = {"CDREDUCONT", "NRDOCMOVREAL",
                                                            "DTMOVREAL", "VRMOVREAL"};
// Movements per query: a few hundred index probes, well inside the parameter limits.
constexpr std::size_t kBatchRows = 200;

std::optional<std::size_t> FieldIndex(const host::PackedPacket& packet, std::string_view name) {
  for (std::size_t i = 0; i < packet.fields.size(); ++i) {
    if (packet.fields[i].name == name)
      return i;
  }
  return std::nullopt;
}

std::string ProbeSql(std::size_t rows) {
  std::string terms;
  for (std::size_t r = 0; r < rows; ++r) {
    terms += r ? " OR (" : "(";
    for (std::size_t c = 0; c < kLookupColumns.size(); ++c)
      terms += fmt::format("{}{} = :k{}_{}", c ? " AND " : "", kLookupColumns[c], r, c);
    terms += ")";
  }
  return fmt::format("SELECT COUNT(*) FROM MOVREAL WHERE {}", terms);
}

// One prepared query that asks whether any of `rows` movements is stored, run again
// for each batch of that size.
class StoredProbe {
 public:
  StoredProbe(soci::session& session, std::size_t rows)
      : statement_(session), values_(rows * kLookupColumns.size()) {
    statement_.exchange(soci::into(count_));
    BindAll(statement_, values_);
    statement_.alloc();
    statement_.prepare(ProbeSql(rows));
    statement_.define_and_bind();
  }

  bool Run(const host::PackedRows& rows, const std::array<std::size_t, 4>& fields,
           std::size_t first) {
    std::size_t k = 0;
    for (std::size_t r = first; k < values_.size(); ++r) {
      rows.Unpack(r, row_);
      for (std::size_t field : fields)
        values_[k++] = ToSqlValue(row_[field]);
    }
    statement_.execute(true);
    return count_ > 0;
  }

 private:
  soci::statement statement_;
  std::vector<SqlValue> values_;
  host::Row row_;
  long long count_ = 0;
};

}  // namespace

bool AnyStored(soci::session& session, const host::PackedPacket& movements) {
  std::array<std::size_t, 4> fields;
  for (std::size_t c = 0; c < kLookupColumns.size(); ++c) {
    auto index = FieldIndex(movements, kLookupColumns[c]);
    if (!index)
      return false;
    fields[c] = *index;
  }
  const host::PackedRows& rows = movements.rows;
  std::size_t full = rows.size() / kBatchRows * kBatchRows;
  if (full > 0) {
    StoredProbe probe(session, kBatchRows);
    for (std::size_t first = 0; first < full; first += kBatchRows) {
      if (probe.Run(rows, fields, first))
        return true;
    }
  }
  return full < rows.size() && StoredProbe(session, rows.size() - full).Run(rows, fields, full);
}

}  // namespace server
