#include "server/session_pool.h"

#include <algorithm>

#include "host/soci.h"

namespace server {

SessionPool::SessionPool(DatabaseUri uri, std::size_t size)
    : uri_(std::move(uri)), size_(std::max<std::size_t>(size, 1)) {
  slots_.reserve(size_);
  free_.push_back(Open());
}

SessionPool::~SessionPool() = default;

// Called with the pool locked: a session is opened once, and seldom.
std::size_t SessionPool::Open() {
  auto session = std::make_unique<soci::session>();
  Connect(*session, uri_);
  slots_.push_back({std::move(session), nullptr});
  return slots_.size() - 1;
}

std::size_t SessionPool::Take() {
  std::unique_lock lock(mutex_);
  if (free_.empty() && slots_.size() < size_)
    return Open();
  returned_.wait(lock, [this] { return !free_.empty(); });
  std::size_t index = free_.back();
  free_.pop_back();
  return index;
}

void SessionPool::GiveBack(std::size_t index) {
  {
    std::lock_guard lock(mutex_);
    free_.push_back(index);
  }
  returned_.notify_one();
}

SessionPool::Lease::Lease(SessionPool& pool) : pool_(pool), index_(pool.Take()) {}

SessionPool::Lease::~Lease() {
  pool_.GiveBack(index_);
}

KeptStatements& SessionPool::Lease::kept() {
  std::unique_ptr<KeptStatements>& kept = pool_.slots_[index_].kept;
  if (!kept)
    kept = std::make_unique<KeptStatements>(session(), pool_.uri_.dialect);
  return *kept;
}

// The kept statements end first: they were prepared on the connection that closes.
void SessionPool::Lease::Reconnect() {
  pool_.slots_[index_].kept.reset();
  session().close();
  Connect(session(), pool_.uri_);
}

}  // namespace server
