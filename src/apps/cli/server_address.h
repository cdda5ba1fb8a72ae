#ifndef EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
#define EXTRATO_APPS_CLI_SERVER_ADDRESS_H_

// Where a running application server listens, as given on the command line.

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace cli {

struct ServerAddress {
  std::string host;
  int port = 0;
  bool tls = false;  // https://
};

// Adds --ca, the authorities a client trusts for an https:// server.
void AddCaOption(CLI::App& command, std::string& ca_file);

inline constexpr const char* kCaHelp =
    "Autoridades (arquivo PEM) que assinam o certificado de um servidor https://; padrão: "
    "EXTRATO_CA ou as do sistema";

// Reads "http://HOST:PORT" or "https://HOST:PORT", with or without the scheme (then
// http) and a trailing path; without a port, `default_port`. Nothing for any other text.
std::optional<ServerAddress> ParseServerAddress(const std::string& text, int default_port);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
