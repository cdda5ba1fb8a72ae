#include "server/session_pool.h"

#include <unistd.h>

#include <filesystem>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "host/soci.h"

namespace server {
namespace {

// A second session opens only when two leases overlap; one that cannot open fails
// that lease alone, and the pool goes on with the sessions it has.
TEST(SessionPoolTest, SessionsOpenWhenFirstNeeded) {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / fmt::format("extrato_pool_{}", getpid());
  std::filesystem::create_directories(folder);
  SessionPool pool(ParseDatabaseUri("sqlite:" + (folder / "pool.db").string()), 2);

  soci::session* first = nullptr;
  {
    SessionPool::Lease lease(pool);
    first = &lease.session();
  }
  {
    SessionPool::Lease again(pool);
    EXPECT_EQ(&again.session(), first) << "one user at a time needs one session";
  }
  {
    SessionPool::Lease held(pool);
    std::filesystem::remove_all(folder);
    EXPECT_THROW(SessionPool::Lease second(pool), DatabaseError);
    std::filesystem::create_directories(folder);
    SessionPool::Lease second(pool);
    EXPECT_NE(&second.session(), &held.session());
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace server
