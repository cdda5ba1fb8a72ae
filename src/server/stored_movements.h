// What a submission must know about the movements stored before it.
#ifndef EXTRATO_SERVER_STORED_MOVEMENTS_H_
#define EXTRATO_SERVER_STORED_MOVEMENTS_H_

#include <string>

#include "host/packed_row.h"
#include "server/database.h"
#include "server/field_mapping.h"
#include "server/sqlite_statement.h"

namespace server {

// True when a movement of the packet matches a stored one the way the duplicate
// lookup finds it: same account, document, date and amount to the cent. A packet
// without one of those fields matches nothing, as the lookup would not.
bool AnyStored(soci::session& session, const host::PackedPacket& movements);

// SQLite: whether one lookup finds a stored movement, as the table below joined to
// MOVREAL would, each value bound as the text the table reads. Most lookups of an
// import find nothing, and this answers them far faster than reading a JSON text.
class StoredProbe {
 public:
  explicit StoredProbe(soci::session& session);
  bool Found(const std::string& account, const std::string& document, const host::Date& date,
             long long cents);

 private:
  SqliteStatement statement_;
};

// Movement lookups as a table `pesquisa (n, conta, documento, data, valor)` read from
// the JSON text bound to :sets, [["n", "conta", "documento", "YYYY-MM-DD", "12.30"],
// ...], typed as the lookup compares them: SQLite compares the date as text and the
// amount as REAL, PostgreSQL as DATE and NUMERIC. The lookups travel as one text: a
// query with thousands of parameters costs more to parse and plan than the lookups
// themselves, and this one's text never changes.
std::string LookupTable(Dialect dialect);
// How the table joins MOVREAL: SQLite must take the lookups first and search the
// index for each (its planner cannot tell how many a JSON text holds); PostgreSQL
// plans the join itself.
std::string LookupJoin(Dialect dialect);
// The condition that a stored movement `m` matches the lookup `p`.
inline constexpr const char* kLookupMatch =
    "m.CDREDUCONT = p.conta AND m.NRDOCMOVREAL = p.documento AND m.DTMOVREAL = p.data AND "
    "m.VRMOVREAL = p.valor";

// Appends one lookup to the JSON text of the table, after a comma unless it is the first.
void AppendLookup(std::string& sets, std::string_view n, const std::string& account,
                  const std::string& document, const host::Date& date, long long cents);

}  // namespace server

#endif  // EXTRATO_SERVER_STORED_MOVEMENTS_H_
