#ifndef EXTRATO_APPS_COMMON_SERVER_ADDRESS_H_
#define EXTRATO_APPS_COMMON_SERVER_ADDRESS_H_

// Where a running application server listens, as a user gives it to either front
// end: one rule for both.

#include <optional>
#include <string>

namespace apps {

struct ServerAddress {
  std::string host;
  int port = 0;
  bool tls = false;  // https://
};

// Reads "http://HOST:PORT" or "https://HOST:PORT", with or without the scheme (then
// http) and a trailing path; without a port, `default_port`. Nothing for any other
// text, a user name before the host included.
std::optional<ServerAddress> ParseServerAddress(const std::string& text, int default_port);

// The same with the host's usual port, throwing host::Exception with a text for the
// user when it is no address.
ServerAddress ServerAddressOf(const std::string& text);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_SERVER_ADDRESS_H_
