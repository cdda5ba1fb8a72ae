// One transaction that writes.
#ifndef EXTRATO_SERVER_WRITE_TRANSACTION_H_
#define EXTRATO_SERVER_WRITE_TRANSACTION_H_

#include "server/database.h"

namespace server {

// Rolls back unless committed. On SQLite the write lock is taken at the start
// (BEGIN IMMEDIATE): a second writer then waits for the first to finish, where a
// plain BEGIN would let it read first and fail when it tries to write.
class WriteTransaction {
 public:
  WriteTransaction(soci::session& session, Dialect dialect);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  void Commit();

 private:
  soci::session& session_;
  bool open_ = true;
};

}  // namespace server

#endif  // EXTRATO_SERVER_WRITE_TRANSACTION_H_
