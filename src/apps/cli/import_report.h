#ifndef EXTRATO_APPS_CLI_IMPORT_REPORT_H_
#define EXTRATO_APPS_CLI_IMPORT_REPORT_H_

// What an import showed the user, how it ended, and the --json object.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/application.h"
#include "host/ui_services.h"

namespace cli {

// A message shown or a question asked.
struct ShownMessage {
  std::optional<std::string> key;  // the message-table key, when the text came from the table
  std::string kind;                // "error", "warning", "information" or "question"
  std::string text;
  // One more line from the front end, where it knows more than the message says.
  std::optional<std::string> detail = std::nullopt;
};

std::string KindName(host::DialogType type);

enum class RunOutcome {
  kSuccess,      // "success"
  kError,        // "error"
  kAborted,      // "aborted"
  kNone,         // "none": ended without any message
  kUsage,        // "usage": the command line was not understood
  kInterrupted,  // "interrupted": stopped by SIGINT
};

// How a run ended, from how its last action ended and what it showed: a run
// that completed showing something succeeded, and one that showed nothing
// read nothing; a run abandoned after a warning, or after being told that the
// data is stored already or that the import was cancelled, was aborted;
// anything else failed.
RunOutcome Classify(host::EventOutcome last_action, const std::vector<ShownMessage>& shown);

// The process's exit status for an outcome.
int StatusOf(RunOutcome outcome);

// {"outcome": ..., "messages": [{"key", "kind", "text"}]}, and "result" when the
// command has one (not null).
nlohmann::json ReportJson(RunOutcome outcome, const std::vector<ShownMessage>& shown,
                          const nlohmann::json& result = nullptr);

// The key of the message-table entry that reads as `text`; an entry with "%s"
// matches any text in its place.
std::optional<std::string> KeyOfText(
    const std::vector<std::pair<std::string, std::string>>& entries, const std::string& text);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_IMPORT_REPORT_H_
