// The server's tables, created and migrated through numbered versions.
#ifndef EXTRATO_SERVER_SCHEMA_H_
#define EXTRATO_SERVER_SCHEMA_H_

#include <string>

#include "server/database.h"

namespace server {

// The version this program writes and reads.
inline constexpr int kSchemaVersion = 5;

// The version stored in the database; 0 when it has none of our tables.
int StoredSchemaVersion(soci::session& session, Dialect dialect);

// Creates the tables, or brings them up to kSchemaVersion, in one transaction.
// Running it again changes nothing. Throws DatabaseError for a database written by
// a newer version of the program.
void MigrateSchema(soci::session& session, Dialect dialect);

// Opens the database and migrates it; throws DatabaseError.
void InitSchema(const std::string& uri);

}  // namespace server

#endif  // EXTRATO_SERVER_SCHEMA_H_
