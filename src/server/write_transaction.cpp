#include "server/write_transaction.h"

#include <fmt/format.h>

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
  open_ = false;
  try {
    session_ << "COMMIT";
  } catch (const soci::soci_error& e) {
    throw CommitUncertain(
        fmt::format("Falha no banco de dados ao confirmar a gravação: {}", e.get_error_message()));
  }
}

}  // namespace server
