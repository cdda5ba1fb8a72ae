// Which database the server stores its tables in, and how a session to it is opened.
#ifndef EXTRATO_SERVER_DATABASE_H_
#define EXTRATO_SERVER_DATABASE_H_

#include <stdexcept>
#include <string>

namespace soci {
class session;
class soci_error;
}  // namespace soci

namespace server {

enum class Dialect { kSqlite, kPostgresql };

// A database the server cannot open or use as asked. The text is shown to the user.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A database named by "sqlite:PATH" or by a "postgresql://" (or "postgres://") URI.
struct DatabaseUri {
  Dialect dialect = Dialect::kSqlite;
  std::string path;      // SQLite: the database file
  std::string conninfo;  // PostgreSQL: the URI as libpq key/value pairs
  std::string text;      // as given, for messages (without a password)
};

// Throws DatabaseError on a URI of another kind or one that cannot be read.
DatabaseUri ParseDatabaseUri(const std::string& uri);

// Opens `session` on the database, tuned the way the server needs it: SQLite in WAL
// mode with synchronous=NORMAL and a busy timeout, so that writers wait for each other
// instead of failing; PostgreSQL talking UTF-8 with ISO dates. Throws DatabaseError.
void Connect(soci::session& session, const DatabaseUri& uri);

// EXTRATO_DB when set, else "sqlite:" and the data folder's extrato.db
// ($XDG_DATA_HOME/extrato, or ~/.local/share/extrato), creating that folder.
std::string DefaultDatabaseUri();

// True when the error is a primary key or unique constraint that refused a row.
bool IsDuplicateKey(const soci::soci_error& error);

}  // namespace server

#endif  // EXTRATO_SERVER_DATABASE_H_
