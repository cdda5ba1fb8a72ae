// GetPesqLancLote: many movement lookups in one call, so that a client far from the
// server does not wait a round trip per movement.
//
// Arguments: one list of GetPesqLanc argument sets, [[conta, documento, data, valor],
// ...], each checked as GetPesqLanc checks its own. Answer: {"fields": [...], "answers":
// [[rows of set 1], [rows of set 2], ...]}, in the order of the sets; each answer with
// the fields is the packet GetPesqLanc gives for that set. The sets are matched a
// chunk at a time by one query that joins them to the lookup index.
#include <iterator>

#include <fmt/format.h>

#include "server/methods.h"
#include "server/query.h"
#include "server/sql_value.h"

namespace server {

namespace {

using nlohmann::json;

// Sets per request: a client sends its read-ahead in requests of at most this many.
constexpr int kMaxSets = 10'000;
// Sets per query: each query and its answer stay small whatever a request holds.
constexpr std::size_t kChunk = 1000;

// The sets as a table of (position, the four arguments), typed as GetPesqLanc compares
// them: SQLite compares the date as text and the amount as REAL, PostgreSQL as DATE
// and NUMERIC. They travel as one JSON text: a query with thousands of parameters
// costs more to parse than the lookups themselves, and this one's text never changes.
// SQLite must take the sets first and search the index for each (its planner cannot
// tell how many a JSON text holds); PostgreSQL plans the join itself.
std::string ChunkQuery(Dialect dialect) {
  bool sqlite = dialect == Dialect::kSqlite;
  return fmt::format(
      "WITH pesquisa (n, conta, documento, data, valor) AS ({}) "
      "SELECT p.n, m.CDREDUCONT, m.DTMOVREAL, m.NRDOCMOVREAL, m.VRMOVREAL "
      "FROM pesquisa p {} MOVREAL m ON m.CDREDUCONT = p.conta "
      "AND m.NRDOCMOVREAL = p.documento AND m.DTMOVREAL = p.data AND m.VRMOVREAL = p.valor "
      "ORDER BY p.n, m.CDSEQUEXTR, m.NRSEQMOVREAL",
      sqlite ? "SELECT json_extract(value, '$[0]'), json_extract(value, '$[1]'), "
               "json_extract(value, '$[2]'), json_extract(value, '$[3]'), "
               "CAST(json_extract(value, '$[4]') AS REAL) FROM json_each(:sets)"
             : "SELECT s ->> 0, s ->> 1, s ->> 2, CAST(s ->> 3 AS DATE), "
               "CAST(s ->> 4 AS NUMERIC) FROM json_array_elements(CAST(:sets AS JSON)) s",
      sqlite ? "CROSS JOIN" : "JOIN");
}

// Positions travel as fixed-width text, so that they sort as numbers on both databases.
std::string Position(std::size_t i) {
  return fmt::format("{:05}", i);
}

// The sets [first, first + count) as the JSON text the query reads, written straight:
// a document of them would cost more than the query.
std::string ChunkSets(const std::vector<Arguments>& sets, std::size_t first, std::size_t count) {
  std::string text = "[";
  for (std::size_t i = 0; i < count; ++i) {
    const Arguments& set = sets[first + i];
    fmt::format_to(std::back_inserter(text), R"({}["{}",{},{},"{}","{}"])", i ? "," : "",
                   Position(i), json(set.Text(0)).dump(), json(set.Text(1)).dump(),
                   set.DateAt(2).ToIso(), CentsToText(set.Cents(3)));
  }
  return text + "]";
}

// Fills answers[first, first + count) with the stored movements of those sets.
void MatchChunk(Db& db, const std::vector<Arguments>& sets, std::size_t first, std::size_t count,
                json& answers) {
  std::vector<host::FieldDef> fields = PesqLancFields();
  fields.insert(fields.begin(), {"N", host::FieldType::kText, 5});
  host::Packet found = QueryPacket(db.session, ChunkQuery(db.dialect),
                                   {TextValue(ChunkSets(sets, first, count))}, std::move(fields));
  for (const host::Row& row : found.rows) {
    json values = json::array();
    for (std::size_t i = 1; i < row.size(); ++i)
      values.push_back(host::FieldValueToJson(row[i]));
    answers[first + std::stoul(std::get<std::string>(row[0]))].push_back(std::move(values));
  }
}

Result GetPesqLancLote(Db& db, const Arguments& args) {
  const std::vector<Arguments>& sets = args.List(0);
  json answers = json::array();
  for (std::size_t i = 0; i < sets.size(); ++i)
    answers.push_back(json::array());
  for (std::size_t first = 0; first < sets.size(); first += kChunk)
    MatchChunk(db, sets, first, std::min(kChunk, sets.size() - first), answers);
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
