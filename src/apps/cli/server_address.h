#ifndef EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
#define EXTRATO_APPS_CLI_SERVER_ADDRESS_H_

// Where a running application server listens, as given on the command line.

#include <optional>
#include <string>

namespace cli {

struct ServerAddress {
  std::string host;
  int port = 0;
};

// Reads "http://HOST:PORT", with or without the scheme and a trailing path;
// without a port, `default_port`. Nothing for any other text.
std::optional<ServerAddress> ParseServerAddress(const std::string& text, int default_port);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
