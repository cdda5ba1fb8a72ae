// A fixed set of database sessions shared by the server's worker threads.
#ifndef EXTRATO_SERVER_SESSION_POOL_H_
#define EXTRATO_SERVER_SESSION_POOL_H_

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "server/database.h"
#include "server/kept_statements.h"

namespace server {

class SessionPool {
 public:
  // Holds at most `size` sessions. The first opens at once, and throws DatabaseError
  // when it cannot; the others as they are first needed (most runs of one user never
  // need a second, and a connection costs a server round trips).
  SessionPool(DatabaseUri uri, std::size_t size);
  ~SessionPool();

  const DatabaseUri& uri() const { return uri_; }

  // One session, held by one thread until the lease ends.
  class Lease {
   public:
    explicit Lease(SessionPool& pool);
    ~Lease();
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    soci::session& session() { return *pool_.slots_[index_].session; }
    // The queries the session keeps prepared, until its connection is opened again.
    KeptStatements& kept();
    // Opens the session again after its connection was lost; throws DatabaseError.
    void Reconnect();

   private:
    SessionPool& pool_;
    std::size_t index_;
  };

 private:
  std::size_t Take();
  std::size_t Open();
  void GiveBack(std::size_t index);

  struct Slot {
    std::unique_ptr<soci::session> session;
    // Declared after the session, so that it goes first.
    std::unique_ptr<KeptStatements> kept;
  };

  DatabaseUri uri_;
  std::size_t size_;
  // Reserved to `size_`: adding a slot moves none that a lease is using.
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::size_t> free_;
};

}  // namespace server

#endif  // EXTRATO_SERVER_SESSION_POOL_H_
