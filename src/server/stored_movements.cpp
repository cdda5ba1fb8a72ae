#include "server/stored_movements.h"

#include <algorithm>
#include <array>
#include <set>

#include <fmt/format.h>

#include "server/query.h"

namespace server {

namespace {

// The lookup's columns, in the order its test names them.
constexpr std::array<std::string_view, 4> kLookupColumns = {"CDREDUCONT", "NRDOCMOVREAL",
                                                            "DTMOVREAL", "VRMOVREAL"};
// Movements per query: a few hundred index probes, well inside the parameter limits.
constexpr std::size_t kBatchRows = 200;

std::optional<std::size_t> FieldIndex(const host::Packet& packet, std::string_view name) {
  for (std::size_t i = 0; i < packet.fields.size(); ++i) {
    if (packet.fields[i].name == name)
      return i;
  }
  return std::nullopt;
}

// 64 bits of FNV-1a: the same account gets the same lock in every server process.
long long LockKey(std::string_view account) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : std::string_view("extrato.MOVREAL.")) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  for (char c : account)
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return static_cast<long long>(hash);
}

// One query for the rows first..first+count: any of them stored?
bool BatchStored(soci::session& session, const std::vector<host::Row>& rows,
                 const std::array<std::size_t, kLookupColumns.size()>& fields, std::size_t first,
                 std::size_t count) {
  std::string terms;
  std::vector<SqlValue> params;
  for (std::size_t r = first; r < first + count; ++r) {
    terms += r == first ? "(" : " OR (";
    for (std::size_t c = 0; c < kLookupColumns.size(); ++c) {
      terms += fmt::format("{}{} = :k{}_{}", c ? " AND " : "", kLookupColumns[c], r - first, c);
      params.push_back(ToSqlValue(rows[r][fields[c]]));
    }
    terms += ")";
  }
  return QueryNumber(session, fmt::format("SELECT COUNT(*) FROM MOVREAL WHERE {}", terms),
                     std::move(params)) > 0;
}

}  // namespace

void LockAccounts(soci::session& session, Dialect dialect, const host::Packet& movements) {
  auto account = FieldIndex(movements, "CDREDUCONT");
  if (dialect != Dialect::kPostgresql || !account)
    return;
  std::set<std::string> accounts;
  for (const host::Row& row : movements.rows)
    accounts.insert(ToSqlValue(row[*account]).text);
  for (const std::string& code : accounts) {
    QueryNumber(session, "SELECT 1 FROM (SELECT pg_advisory_xact_lock(:chave)) trava",
                {TextValue(std::to_string(LockKey(code)))});
  }
}

bool AnyStored(soci::session& session, const host::Packet& movements) {
  std::array<std::size_t, kLookupColumns.size()> fields;
  for (std::size_t c = 0; c < kLookupColumns.size(); ++c) {
    auto index = FieldIndex(movements, kLookupColumns[c]);
    if (!index)
      return false;
    fields[c] = *index;
  }
  const std::vector<host::Row>& rows = movements.rows;
  for (std::size_t first = 0; first < rows.size(); first += kBatchRows) {
    if (BatchStored(session, rows, fields, first, std::min(kBatchRows, rows.size() - first)))
      return true;
  }
  return false;
}

}  // namespace server
