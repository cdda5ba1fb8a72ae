#ifndef EXTRATO_APPS_CLI_COMMANDS_H_
#define EXTRATO_APPS_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace cli {

// Exit statuses of the command line.
enum ExitStatus {
  kExitSuccess = 0,
  kExitError = 1,
  kExitAborted = 2,
  kExitNoMessage = 3,
  kExitUsage = 64,
};

// Each subcommand registers its options and, through the callback, stores the
// status the process ends with.
void AddServeCommand(CLI::App& app, int& status);
void AddDbCommands(CLI::App& app, int& status);
void AddImportCommand(CLI::App& app, int& status);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_COMMANDS_H_
