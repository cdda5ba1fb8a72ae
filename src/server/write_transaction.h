// One transaction that writes.
#ifndef EXTRATO_SERVER_WRITE_TRANSACTION_H_
#define EXTRATO_SERVER_WRITE_TRANSACTION_H_

#include "server/database.h"

namespace server {

// A COMMIT that failed: the connection may have dropped after the database stored it,
// so the call must not be run again.
class CommitUncertain : public DatabaseError {
 public:
  using DatabaseError::DatabaseError;
};

// Rolls back unless committed. On SQLite the write lock is taken at the start
// (BEGIN IMMEDIATE): a second writer then waits for the first to finish, where a
// plain BEGIN would let it read first and fail when it tries to write.
class WriteTransaction {
 public:
  WriteTransaction(soci::session& session, Dialect dialect);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  // Throws CommitUncertain when the database does not confirm it.
  void Commit();

 private:
  soci::session& session_;
  bool open_ = true;
};

}  // namespace server

#endif  // EXTRATO_SERVER_WRITE_TRANSACTION_H_
