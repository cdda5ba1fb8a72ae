#include "apps/common/server_address.h"

#include <gtest/gtest.h>

namespace apps {
namespace {

TEST(ServerAddressTest, ReadsHostAndPort) {
  struct Case {
    const char* text;
    const char* host;
    int port;
    bool tls = false;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8300", "127.0.0.1", 8300},
      {"http://servidor.interno:9000/QAR62700.rdmImpExtBanc", "servidor.interno", 9000},
      {"localhost:1", "localhost", 1},
      {"http://servidor", "servidor", 8211},
      {"servidor/", "servidor", 8211},
      {"https://servidor:8443", "servidor", 8443, true},
      {"https://servidor", "servidor", 8211, true},
  };
  for (const Case& c : cases) {
    auto address = ParseServerAddress(c.text, 8211);
    ASSERT_TRUE(address) << c.text;
    EXPECT_EQ(c.host, address->host) << c.text;
    EXPECT_EQ(c.port, address->port) << c.text;
    EXPECT_EQ(c.tls, address->tls) << c.text;
  }
}

TEST(ServerAddressTest, RefusesWhatIsNotAnAddress) {
  for (const char* text :
       {"", "http://", ":8211", "ftp://servidor:21", "https://", "servidor:porta", "servidor:0",
        "servidor:65536", "servidor:80x", "ser vidor:80", "http://eu@servidor:8211"}) {
    EXPECT_EQ(std::nullopt, ParseServerAddress(text, 8211)) << text;
  }
}

}  // namespace
}  // namespace apps
