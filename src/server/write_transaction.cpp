#include "server/write_transaction.h"

#include "host/soci.h"

namespace server {

WriteTransaction::WriteTransaction(soci::session& session, Dialect dialect) : session_(session) {
  session_ << (dialect == Dialect::kSqlite ? "BEGIN IMMEDIATE" : "BEGIN");
}

WriteTransaction::~WriteTransaction() {
  if (!open_)
    return;
  try {
    session_ << "ROLLBACK";
  } catch (const soci::soci_error&) {
    // The connection is gone, and the database drops the transaction with it.
  }
}

void WriteTransaction::Commit() {
  session_ << "COMMIT";
  open_ = false;
}

}  // namespace server
