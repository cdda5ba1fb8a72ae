#include "apps/common/brazilian_format.h"

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

namespace apps {
namespace {

TEST(BrazilianFormatTest, MomentsKeptInUtcAreShownInTheLocalZone) {
  const char* before = std::getenv("TZ");
  std::string kept = before ? before : "";
  setenv("TZ", "<-03>3", 1);
  tzset();
  EXPECT_EQ(LocalDateTime("2024-01-28 01:05:09"), "27/01/2024 22:05");
  EXPECT_EQ(IsoDateTime("2024-01-28 01:05:09"), "2024-01-27T22:05:09-03:00");
  EXPECT_EQ(LocalDateTime("ontem"), "ontem");
  EXPECT_EQ(IsoDateTime(""), "");
  if (before)
    setenv("TZ", kept.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace apps
