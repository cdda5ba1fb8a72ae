// GetPesqLancLote: many movement lookups in one call, so that a client far from the
// server does not wait a round trip per movement.
//
// Arguments: one list of GetPesqLanc argument sets, [[conta, documento, data, valor],
// ...], each checked as GetPesqLanc checks its own. Answer: {"fields": [...], "answers":
// [[rows of set 1], [rows of set 2], ...]}, in the order of the sets; each answer with
// the fields is the packet GetPesqLanc gives for that set. The sets are matched a
// chunk at a time by one query that joins them to the lookup index.

#include <optional>
#include <span>

#include <fmt/format.h>

#include "server/kept_statements.h"
#include "server/methods.h"
#include "server/query.h"
#include "server/sql_value.h"
#include "server/stored_movements.h"

namespace server {

namespace {

using nlohmann::json;

// Sets per request: a client sends its read-ahead in requests of at most this many.
constexpr int kMaxSets = 10'000;
// Sets per query: each query and its answer stay small whatever a request holds.
constexpr std::size_t kChunk = 1000;

std::string ChunkQuery(Dialect dialect) {
  return fmt::format(
      "SELECT p.n, m.CDREDUCONT, m.DTMOVREAL, m.NRDOCMOVREAL, m.VRMOVREAL "
      "FROM {} ORDER BY p.n, m.CDSEQUEXTR, m.NRSEQMOVREAL",
      LookupMatches(dialect));
}

// Positions travel as fixed-width text, so that they sort as numbers on both databases.
std::string Position(std::size_t i) {
  return fmt::format("{:05}", i);
}

// The sets of `which`, a chunk of them, as the JSON text the query reads.
std::string ChunkSets(const std::vector<Arguments>& sets, std::span<const std::size_t> which) {
  std::string text = "[";
  for (std::size_t i = 0; i < which.size(); ++i) {
    const Arguments& set = sets[which[i]];
    AppendLookup(text, Position(i), set.Text(0), set.Text(1), set.DateAt(2), set.Cents(3));
  }
  return text + "]";
}

// Fills the answers of the sets of `which` with the stored movements they find.
void MatchChunk(Db& db, const std::vector<Arguments>& sets, std::span<const std::size_t> which,
                json& answers) {
  std::vector<host::FieldDef> fields = PesqLancFields();
  fields.insert(fields.begin(), {"N", host::FieldType::kText, 5});
  host::Packet found = db.kept.QueryPacket(ChunkQuery(db.dialect),
                                           {TextValue(ChunkSets(sets, which))}, std::move(fields));
  for (const host::Row& row : found.rows) {
    json values = json::array();
    for (std::size_t i = 1; i < row.size(); ++i)
      values.push_back(host::FieldValueToJson(row[i]));
    answers[which[std::stoul(std::get<std::string>(row[0]))]].push_back(std::move(values));
  }
}

// The sets the query must read: on SQLite only those a probe finds anything for.
std::vector<std::size_t> SetsToRead(Db& db, const std::vector<Arguments>& sets) {
  std::vector<std::size_t> which;
  if (db.dialect == Dialect::kSqlite) {
    StoredProbe probe(db.session);
    for (std::size_t i = 0; i < sets.size(); ++i) {
      const Arguments& set = sets[i];
      if (probe.Found(set.Text(0), set.Text(1), set.DateAt(2), set.Cents(3)))
        which.push_back(i);
    }
  } else {
    for (std::size_t i = 0; i < sets.size(); ++i)
      which.push_back(i);
  }
  return which;
}

Result GetPesqLancLote(Db& db, const Arguments& args) {
  const std::vector<Arguments>& sets = args.List(0);
  json answers = json::array();
  for (std::size_t i = 0; i < sets.size(); ++i)
    answers.push_back(json::array());
  // On SQLite: one snapshot for the probes and the reads, and the file locked once,
  // not once a probe.
  std::optional<soci::transaction> reading;
  if (db.dialect == Dialect::kSqlite)
    reading.emplace(db.session);
  std::vector<std::size_t> which = SetsToRead(db, sets);
  for (std::size_t first = 0; first < which.size(); first += kChunk) {
    MatchChunk(
        db, sets,
        std::span<const std::size_t>(which).subspan(first, std::min(kChunk, which.size() - first)),
        answers);
  }
  if (reading)
    reading->commit();
  return json{{"fields", host::ToJson(host::Packet{PesqLancFields(), {}})["fields"]},
              {"answers", std::move(answers)}};
}

}  // namespace

std::vector<Method> BatchLookupMethods() {
  return {
      {"GetPesqLancLote",
       {{.kind = ArgKind::kList,
         .label = "pesquisas de movimentos",
         .size = kMaxSets,
         .item_method = "GetPesqLanc",
         .items = PesqLancParams()}},
       GetPesqLancLote},
  };
}

}  // namespace server
