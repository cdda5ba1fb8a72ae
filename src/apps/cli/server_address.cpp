#include "apps/cli/server_address.h"

#include <filesystem>

namespace cli {

CLI::Validator ServerAddressValidator() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return apps::ParseServerAddress(text, 1) ? "" : "esperado http(s)://ENDEREÇO:PORTA";
      },
      "");
}

host::HostConfigOverrides ConnectionOverrides(const std::string& uri, const std::string& server,
                                              const std::string& ca_file) {
  host::HostConfigOverrides overrides;
  overrides.database_uri = uri;
  if (auto address = apps::ParseServerAddress(server, host::HostConfig{}.web_port)) {
    overrides.web_url = address->host;
    overrides.web_port = address->port;
    overrides.web_tls = address->tls;
  }
  if (!ca_file.empty())
    overrides.ca_file = ca_file;
  return overrides;
}

void AddCaOption(CLI::App& command, std::string& ca_file) {
  command.add_option("--ca", ca_file, kCaHelp)
      ->option_text("ARQUIVO")
      ->check(CLI::Validator(
          [](std::string& path) -> std::string {
            std::error_code error;
            return std::filesystem::is_regular_file(path, error) ? "" : "arquivo não encontrado";
          },
          ""));
}

}  // namespace cli
