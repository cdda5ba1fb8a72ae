#ifndef EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
#define EXTRATO_APPS_CLI_SERVER_ADDRESS_H_

// The command line's options for reaching a running application server.

#include <string>

#include <CLI/CLI.hpp>

#include "apps/common/server_address.h"
#include "host/config.h"

namespace cli {

// Refuses a --server that is no address, before anything runs.
CLI::Validator ServerAddressValidator();

// The host settings that reach the database `uri`, or the server named by --server
// and trusted by --ca.
host::HostConfigOverrides ConnectionOverrides(const std::string& uri, const std::string& server,
                                              const std::string& ca_file);

// Adds --ca, the authorities a client trusts for an https:// server.
void AddCaOption(CLI::App& command, std::string& ca_file);

inline constexpr const char* kCaHelp =
    "Autoridades (arquivo PEM) que assinam o certificado de um servidor https://; padrão: "
    "EXTRATO_CA ou as do sistema";

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SERVER_ADDRESS_H_
