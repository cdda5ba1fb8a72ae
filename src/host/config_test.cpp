#include "host/config.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "host/exceptions.h"

namespace host {
namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name :
         {"EXTRATO_WEB_URL", "EXTRATO_WEB_PORT", "EXTRATO_EMPRESA", "EXTRATO_DB"}) {
      unsetenv(name);
    }
  }
};

TEST_F(ConfigTest, EnvironmentThenCommandLine) {
  setenv("EXTRATO_WEB_URL", "srv.local", 1);
  setenv("EXTRATO_WEB_PORT", "9000", 1);
  setenv("EXTRATO_EMPRESA", "12", 1);
  setenv("EXTRATO_DB", "sqlite:/tmp/x.db", 1);
  HostConfig config = LoadHostConfig();
  EXPECT_EQ("srv.local", config.web_url);
  EXPECT_EQ(9000, config.web_port);
  EXPECT_EQ("12", config.empresa);
  EXPECT_EQ("sqlite:/tmp/x.db", config.database_uri);

  HostConfigOverrides overrides;
  overrides.web_port = 8300;
  overrides.empresa = "7";
  config = LoadHostConfig(overrides);
  EXPECT_EQ(8300, config.web_port);
  EXPECT_EQ("7", config.empresa);
  EXPECT_EQ("srv.local", config.web_url);
}

TEST_F(ConfigTest, BadPortIsRefused) {
  setenv("EXTRATO_WEB_PORT", "80a", 1);
  EXPECT_THROW(LoadHostConfig(), Exception);
  setenv("EXTRATO_WEB_PORT", "70000", 1);
  EXPECT_THROW(LoadHostConfig(), Exception);
}

}  // namespace
}  // namespace host
