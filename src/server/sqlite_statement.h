// A statement of SQLite's own API, for loops that run one statement per row: there
// SOCI's binding costs more than the database's own work.
#ifndef EXTRATO_SERVER_SQLITE_STATEMENT_H_
#define EXTRATO_SERVER_SQLITE_STATEMENT_H_

#include <string>
#include <string_view>

#include "host/soci.h"

namespace server {

// Errors are thrown as SOCI's, so that callers tell a repeated key as they do for
// any other statement. The session must be SQLite's and outlive the statement.
class SqliteStatement {
 public:
  SqliteStatement(soci::session& session, const std::string& sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1. A text bound as kept must last until Step.
  void BindKeptText(int at, std::string_view text);
  void BindCopiedText(int at, std::string_view text);
  void BindDouble(int at, double value);
  void BindNull(int at);

  // Runs the statement and makes it ready to run again: whether it gave a row.
  bool StepOnce();

 private:
  [[noreturn]] void Throw();

  sqlite_api::sqlite3* db_;
  sqlite_api::sqlite3_stmt* statement_ = nullptr;
};

}  // namespace server

#endif  // EXTRATO_SERVER_SQLITE_STATEMENT_H_
