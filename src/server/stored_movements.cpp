#include "server/stored_movements.h"

#include <array>
#include <iterator>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "server/query.h"
#include "server/sql_value.h"

namespace server {

namespace {

// The lookup's columns, in the order its test names them.
constexpr std::array<std::string_view, 4> kLookupColumns = {"CDREDUCONT", "NRDOCMOVREAL",
                                                            "DTMOVREAL", "VRMOVREAL"};
// Movements per query: the text of a chunk stays well under a megabyte.
constexpr std::size_t kChunk = 5000;

std::optional<std::size_t> FieldIndex(const host::PackedPacket& packet, std::string_view name) {
  for (std::size_t i = 0; i < packet.fields.size(); ++i) {
    if (packet.fields[i].name == name)
      return i;
  }
  return std::nullopt;
}

std::string AnyStoredQuery(Dialect dialect) {
  return fmt::format("SELECT COUNT(*) FROM (SELECT 1 FROM {} p {} MOVREAL m ON {} LIMIT 1) found",
                     LookupTable(dialect), LookupJoin(dialect), kLookupMatch);
}

// A movement whose lookup values are not all there, or whose amount no column holds,
// matches nothing.
bool AppendMovement(std::string& sets, const host::Row& row,
                    const std::array<std::size_t, 4>& fields) {
  const auto* account = std::get_if<std::string>(&row[fields[0]]);
  const auto* document = std::get_if<std::string>(&row[fields[1]]);
  const auto* date = std::get_if<host::Date>(&row[fields[2]]);
  const auto* amount = std::get_if<double>(&row[fields[3]]);
  std::optional<long long> cents = amount ? AmountToCents(*amount) : std::nullopt;
  if (!account || !document || !date || !cents)
    return false;
  AppendLookup(sets, "0", *account, *document, *date, *cents);
  return true;
}

}  // namespace

std::string LookupTable(Dialect dialect) {
  return dialect == Dialect::kSqlite
             ? "(SELECT json_extract(value, '$[0]') AS n, json_extract(value, '$[1]') AS conta, "
               "json_extract(value, '$[2]') AS documento, json_extract(value, '$[3]') AS data, "
               "CAST(json_extract(value, '$[4]') AS REAL) AS valor FROM json_each(:sets))"
             : "(SELECT s ->> 0 AS n, s ->> 1 AS conta, s ->> 2 AS documento, "
               "CAST(s ->> 3 AS DATE) AS data, CAST(s ->> 4 AS NUMERIC) AS valor "
               "FROM json_array_elements(CAST(:sets AS JSON)) s)";
}

std::string LookupJoin(Dialect dialect) {
  return dialect == Dialect::kSqlite ? "CROSS JOIN" : "JOIN";
}

void AppendLookup(std::string& sets, std::string_view n, const std::string& account,
                  const std::string& document, const host::Date& date, long long cents) {
  using nlohmann::json;
  fmt::format_to(std::back_inserter(sets), R"({}["{}",{},{},"{}","{}"])",
                 sets.size() > 1 ? "," : "", n, json(account).dump(), json(document).dump(),
                 date.ToIso(), CentsToText(cents));
}

bool AnyStored(soci::session& session, const host::PackedPacket& movements) {
  std::array<std::size_t, 4> fields;
  for (std::size_t c = 0; c < kLookupColumns.size(); ++c) {
    auto index = FieldIndex(movements, kLookupColumns[c]);
    if (!index)
      return false;
    fields[c] = *index;
  }
  Dialect dialect =
      session.get_backend_name() == "postgresql" ? Dialect::kPostgresql : Dialect::kSqlite;
  std::string query = AnyStoredQuery(dialect);
  const host::PackedRows& rows = movements.rows;
  for (std::size_t first = 0; first < rows.size(); first += kChunk) {
    std::string sets = "[";
    host::Row row;
    for (std::size_t r = first; r < std::min(rows.size(), first + kChunk); ++r) {
      rows.Unpack(r, row);
      AppendMovement(sets, row, fields);
    }
    if (QueryNumber(session, query, {TextValue(sets + "]")}) > 0)
      return true;
  }
  return false;
}

}  // namespace server
