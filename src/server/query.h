// Reading rows from the database into packets.
#ifndef EXTRATO_SERVER_QUERY_H_
#define EXTRATO_SERVER_QUERY_H_

#include <string>
#include <vector>

#include "host/record_set.h"
#include "server/sql_value.h"

namespace server {

// Binds the values, in order, to the statement's placeholders. The values must live
// until the statement has run.
void BindAll(soci::statement& statement, std::vector<SqlValue>& values);

// Runs a statement that reads nothing; answers the number of rows it changed.
long long Execute(soci::session& session, const std::string& sql, std::vector<SqlValue> params);

// Runs a query that answers one whole number (a count, a maximum) in one row.
long long QueryNumber(soci::session& session, const std::string& query,
                      std::vector<SqlValue> params);

// Runs a query and reads every row into a packet with these fields: the query's
// columns, in order, one per field. Throws soci::soci_error, and DatabaseError for a
// stored value its field cannot hold.
host::Packet QueryPacket(soci::session& session, const std::string& query,
                         std::vector<SqlValue> params, std::vector<host::FieldDef> fields);

// The rows of a query executed into `row`, read as QueryPacket reads them.
host::Packet FetchPacket(soci::statement& statement, const soci::row& row,
                         std::vector<host::FieldDef> fields);

}  // namespace server

#endif  // EXTRATO_SERVER_QUERY_H_
