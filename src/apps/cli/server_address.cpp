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
