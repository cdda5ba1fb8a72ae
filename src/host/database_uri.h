// The database URIs that every part of the product accepts, and what SOCI needs to
// open them.
#ifndef EXTRATO_HOST_DATABASE_URI_H_
#define EXTRATO_HOST_DATABASE_URI_H_

#include <stdexcept>
#include <string>

namespace host {

// A URI that names no database this product can open. The text is shown to the user.
class DatabaseUriError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "sqlite:PATH" (also "sqlite:///PATH"), or a "postgresql://" or "postgres://" URI with
// any of libpq's forms: user, password, host, port, database and "?key=value" options.
struct DatabaseLocation {
  bool postgresql = false;
  std::string path;      // SQLite: the database file
  std::string conninfo;  // PostgreSQL: libpq's key/value pairs, quoted
  std::string text;      // as given, for messages (without a password)
};

// Throws DatabaseUriError.
DatabaseLocation ParseDatabaseLocation(const std::string& uri);

// SOCI's connection string: SOCI reads its own "key=value" options out of it, so a
// URI handed to it as it stands loses its database name.
std::string SociConnectString(const DatabaseLocation& location);

}  // namespace host

#endif  // EXTRATO_HOST_DATABASE_URI_H_
