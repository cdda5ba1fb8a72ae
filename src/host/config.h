#ifndef EXTRATO_HOST_CONFIG_H_
#define EXTRATO_HOST_CONFIG_H_

#include <optional>
#include <string>

namespace host {

// Where the host application finds its application server and database, and
// which company it works for.
struct HostConfig {
  std::string web_url = "127.0.0.1";  // application server host
  int web_port = 8211;                // application server port
  std::string empresa = "1";          // company being processed
  std::string database_uri;           // "sqlite:PATH" or "postgresql://..."; empty: default
  std::string token;                  // bearer token for the server, if it asks for one
  bool web_tls = false;               // the server speaks HTTPS
  std::string ca_file;                // PEM authorities of its certificate; empty: the system's
};

// Values given on the command line win over the environment
// (EXTRATO_WEB_URL, EXTRATO_WEB_PORT, EXTRATO_EMPRESA, EXTRATO_DB, EXTRATO_TOKEN,
// EXTRATO_CA).
struct HostConfigOverrides {
  std::optional<std::string> web_url;
  std::optional<int> web_port;
  std::optional<bool> web_tls;
  std::optional<std::string> ca_file;
  std::optional<std::string> empresa;
  std::optional<std::string> database_uri;
  std::optional<std::string> token;
};

// Reads the environment, then applies the overrides. Throws host::Exception on
// a port that is not a number from 1 to 65535.
HostConfig LoadHostConfig(const HostConfigOverrides& overrides = {});

// The embedded default: EXTRATO_DB, else "sqlite:" and extrato/extrato.db under
// $XDG_DATA_HOME (or ~/.local/share).
std::string DefaultDatabaseUri();

// The configuration in force for this process.
HostConfig& Config();

}  // namespace host

#endif  // EXTRATO_HOST_CONFIG_H_
