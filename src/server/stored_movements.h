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

// The stored movements `m` matching the lookups `p`, as what follows a FROM. The
// lookups are a table `p (n, conta, documento, data, valor)` read from the JSON text
// bound to :sets, [["n", "conta", "documento", "YYYY-MM-DD", "12.30"], ...], typed as
// the lookup compares them: SQLite compares the date as text and the amount as REAL,
// PostgreSQL as DATE and NUMERIC; a movement matches on all four, the amount to the
// cent. The lookups travel as one text: a query with thousands of parameters costs
// more to parse and plan than the lookups themselves, and this one's text never
// changes. Each lookup searches the index on its own: neither planner can tell how
// many a JSON text holds, and PostgreSQL's, guessing a hundred, would hash them
// against a scan of all of MOVREAL.
std::string LookupMatches(Dialect dialect);

// Appends one lookup to the JSON text of the table, after a comma unless it is the first.
void AppendLookup(std::string& sets, std::string_view n, const std::string& account,
                  const std::string& document, const host::Date& date, long long cents);

}  // namespace server

#endif  // EXTRATO_SERVER_STORED_MOVEMENTS_H_
