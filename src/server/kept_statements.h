// Queries a database session keeps prepared while its connection lasts.
#ifndef EXTRATO_SERVER_KEPT_STATEMENTS_H_
#define EXTRATO_SERVER_KEPT_STATEMENTS_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/record_set.h"
#include "server/database.h"
#include "server/sql_value.h"

namespace server {

// For a query a run sends many times with the same text: PostgreSQL then parses it
// once, where a text sent anew is parsed on every call (both are planned on every
// call, for the table as it is then). SQLite prepares such a text in microseconds, and a statement
// it keeps would hold its read snapshot if a read stopped midway: there each call
// runs the text once. Must be destroyed before the session it was made on closes.
class KeptStatements {
 public:
  KeptStatements(soci::session& session, Dialect dialect);
  ~KeptStatements();
  KeptStatements(const KeptStatements&) = delete;
  KeptStatements& operator=(const KeptStatements&) = delete;

  // As server::QueryPacket; every call with one text must bring as many values.
  host::Packet QueryPacket(const std::string& query, std::vector<SqlValue> params,
                           std::vector<host::FieldDef> fields);

 private:
  struct Kept;
  Kept& Prepared(const std::string& query, std::size_t params);

  soci::session& session_;
  Dialect dialect_;
  std::map<std::string, std::unique_ptr<Kept>, std::less<>> kept_;
};

}  // namespace server

#endif  // EXTRATO_SERVER_KEPT_STATEMENTS_H_
