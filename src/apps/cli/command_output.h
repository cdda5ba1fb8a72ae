#ifndef EXTRATO_APPS_CLI_COMMAND_OUTPUT_H_
#define EXTRATO_APPS_CLI_COMMAND_OUTPUT_H_

// How a command ends on the terminal: its result on stdout, its messages on
// stderr, and with --json one object on stdout for every outcome.

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/cli/import_report.h"

namespace cli {

struct CommandEnd {
  RunOutcome outcome = RunOutcome::kSuccess;
  std::vector<ShownMessage> messages;  // on stderr, in order
  nlohmann::json result;               // the object's "result"; null: none
  std::string text;                    // the result as a person reads it, on stdout
};

// A command that failed with this message.
CommandEnd Failed(const std::string& text, RunOutcome outcome = RunOutcome::kError);

// Prints `end` and answers the exit status.
int Finish(const CommandEnd& end, bool json, std::ostream& out, std::ostream& err);

// "Erro: ", "Aviso: ", "Pergunta: " or nothing, for a message kind.
std::string KindPrefix(const std::string& kind);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_COMMAND_OUTPUT_H_
