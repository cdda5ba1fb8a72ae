#ifndef EXTRATO_APPS_CLI_COMMANDS_H_
#define EXTRATO_APPS_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace cli {

// Exit statuses of the command line (listed for the user in usage.cpp).
enum ExitStatus {
  kExitSuccess = 0,
  kExitError = 1,
  kExitAborted = 2,
  kExitNoMessage = 3,
  kExitUsage = 64,
  kExitInterrupted = 130,
};

// What every command shares: how the outcome is printed, and the status the
// process ends with, which the command's callback stores.
struct RunContext {
  int status = kExitSuccess;
  bool json = false;  // --json: one JSON object on stdout for every outcome
};

void AddServeCommand(CLI::App& app, RunContext& context);
void AddDbCommands(CLI::App& app, RunContext& context);
void AddImportCommand(CLI::App& app, RunContext& context);
void AddRegistryCommands(CLI::App& app, RunContext& context);
void AddHistoryCommands(CLI::App& app, RunContext& context);
void AddViewCommands(CLI::App& app, RunContext& context);
void AddUsersCommands(CLI::App& app, RunContext& context);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_COMMANDS_H_
