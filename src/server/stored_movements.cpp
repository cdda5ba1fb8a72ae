#include "server/stored_movements.h"

#include <array>
#include <iterator>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "host/packet.h"
#include "host/soci.h"
#include "server/query.h"
#include "server/sql_value.h"
#include "server/sqlite_statement.h"

namespace server {

namespace {

// The lookup's columns, in the order its test names them.
constexpr std::array<std::string_view, 4> kLookupColumns = {"CDREDUCONT", "NRDOCMOVREAL",
                                                            "DTMOVREAL", "VRMOVREAL"};
// Movements per query: the text of a chunk stays well under a megabyte.
constexpr std::size_t kChunk = 5000;

// A movement's lookup values; none when one is not there, or no column holds its
// amount: such a movement matches nothing.
struct LookupValues {
  const std::string& account;
  const std::string& document;
  const host::Date& date;
  long long cents;
};

std::optional<LookupValues> ValuesOf(const host::Row& row,
                                     const std::array<std::size_t, 4>& fields) {
  const auto* account = std::get_if<std::string>(&row[fields[0]]);
  const auto* document = std::get_if<std::string>(&row[fields[1]]);
  const auto* date = std::get_if<host::Date>(&row[fields[2]]);
  const auto* amount = std::get_if<double>(&row[fields[3]]);
  std::optional<long long> cents = amount ? AmountToCents(*amount) : std::nullopt;
  if (!account || !document || !date || !cents)
    return std::nullopt;
  return LookupValues{*account, *document, *date, *cents};
}

// PostgreSQL: the movements a chunk at a time, as the lookups go.
bool AnyStoredByChunks(soci::session& session, const host::PackedRows& rows,
                       const std::array<std::size_t, 4>& fields) {
  std::string query = fmt::format("SELECT COUNT(*) FROM (SELECT 1 FROM {} LIMIT 1) found",
                                  LookupMatches(Dialect::kPostgresql));
  host::Row row;
  for (std::size_t first = 0; first < rows.size(); first += kChunk) {
    std::string sets = "[";
    for (std::size_t r = first; r < std::min(rows.size(), first + kChunk); ++r) {
      rows.Unpack(r, row);
      if (auto values = ValuesOf(row, fields))
        AppendLookup(sets, "0", values->account, values->document, values->date, values->cents);
    }
    if (QueryNumber(session, query, {TextValue(sets + "]")}) > 0)
      return true;
  }
  return false;
}

// SQLite: one probe a movement.
bool AnyStoredOneByOne(soci::session& session, const host::PackedRows& rows,
                       const std::array<std::size_t, 4>& fields) {
  StoredProbe probe(session);
  host::Row row;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    rows.Unpack(r, row);
    auto values = ValuesOf(row, fields);
    if (values && probe.Found(values->account, values->document, values->date, values->cents))
      return true;
  }
  return false;
}

}  // namespace

StoredProbe::StoredProbe(soci::session& session)
    : statement_(session,
                 "SELECT 1 FROM MOVREAL m WHERE m.CDREDUCONT = ?1 AND m.NRDOCMOVREAL = ?2 AND "
                 "m.DTMOVREAL = ?3 AND m.VRMOVREAL = CAST(?4 AS REAL) LIMIT 1") {}

bool StoredProbe::Found(const std::string& account, const std::string& document,
                        const host::Date& date, long long cents) {
  std::string iso = date.ToIso();
  std::string amount = CentsToText(cents);
  statement_.BindKeptText(1, account);
  statement_.BindKeptText(2, document);
  statement_.BindKeptText(3, iso);
  statement_.BindKeptText(4, amount);
  return statement_.StepOnce();
}

std::string LookupMatches(Dialect dialect) {
  constexpr const char* kMatch =
      "m.CDREDUCONT = p.conta AND m.NRDOCMOVREAL = p.documento AND m.DTMOVREAL = p.data AND "
      "m.VRMOVREAL = p.valor";
  if (dialect == Dialect::kSqlite) {
    return fmt::format(
        "(SELECT json_extract(value, '$[0]') AS n, json_extract(value, '$[1]') AS conta, "
        "json_extract(value, '$[2]') AS documento, json_extract(value, '$[3]') AS data, "
        "CAST(json_extract(value, '$[4]') AS REAL) AS valor FROM json_each(:sets)) p "
        "CROSS JOIN MOVREAL m ON {}",
        kMatch);
  }
  // OFFSET 0 keeps the planner from merging the subquery into a join it would hash.
  return fmt::format(
      "(SELECT s ->> 0 AS n, s ->> 1 AS conta, s ->> 2 AS documento, CAST(s ->> 3 AS DATE) AS "
      "data, CAST(s ->> 4 AS NUMERIC) AS valor FROM json_array_elements(CAST(:sets AS JSON)) s) p "
      "CROSS JOIN LATERAL (SELECT * FROM MOVREAL m WHERE {} OFFSET 0) m",
      kMatch);
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
    fields[c] = host::FieldIndex(movements.fields, kLookupColumns[c]);
    if (fields[c] == movements.fields.size())
      return false;
  }
  if (session.get_backend_name() == "postgresql")
    return AnyStoredByChunks(session, movements.rows, fields);
  return AnyStoredOneByOne(session, movements.rows, fields);
}

}  // namespace server
