#include "server/sqlite_statement.h"

namespace server {

namespace {

// SQLite's SQLITE_STATIC and SQLITE_TRANSIENT, which name its type outside SOCI's
// namespace for it: the value is kept until the step, or copied.
const sqlite_api::sqlite3_destructor_type kKept = nullptr;
const auto kCopied = reinterpret_cast<sqlite_api::sqlite3_destructor_type>(-1);

}  // namespace

SqliteStatement::SqliteStatement(soci::session& session, const std::string& sql)
    : db_(static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_) {
  if (sqlite_api::sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
    Throw();
}

SqliteStatement::~SqliteStatement() {
  sqlite_api::sqlite3_finalize(statement_);
}

void SqliteStatement::BindKeptText(int at, std::string_view text) {
  sqlite_api::sqlite3_bind_text(statement_, at, text.data(), static_cast<int>(text.size()), kKept);
}

void SqliteStatement::BindCopiedText(int at, std::string_view text) {
  sqlite_api::sqlite3_bind_text(statement_, at, text.data(), static_cast<int>(text.size()),
                                kCopied);
}

void SqliteStatement::BindDouble(int at, double value) {
  sqlite_api::sqlite3_bind_double(statement_, at, value);
}

void SqliteStatement::BindNull(int at) {
  sqlite_api::sqlite3_bind_null(statement_, at);
}

bool SqliteStatement::StepOnce() {
  int result = sqlite_api::sqlite3_step(statement_);
  sqlite_api::sqlite3_reset(statement_);
  if (result != SQLITE_ROW && result != SQLITE_DONE)
    Throw();
  return result == SQLITE_ROW;
}

void SqliteStatement::Throw() {
  throw soci::sqlite3_soci_error(sqlite_api::sqlite3_errmsg(db_),
                                 sqlite_api::sqlite3_extended_errcode(db_));
}

}  // namespace server
