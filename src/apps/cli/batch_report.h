#ifndef EXTRATO_APPS_CLI_BATCH_REPORT_H_
#define EXTRATO_APPS_CLI_BATCH_REPORT_H_

// What a command of many files tells at the end: a table of the files, the
// objects of --json (one a line) and its exit status.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/cli/file_import.h"
#include "apps/cli/file_moves.h"

namespace cli {

struct BatchEntry {
  FileResult result;
  std::optional<Moved> moved;  // none: no move was asked for
};

// Whether the file was to be moved and could not be.
bool MoveFailed(const BatchEntry& entry);
// "moved_to", and "not_moved" with the reason when it stayed.
void AddMove(nlohmann::json& report, const Moved& moved);

// The status a file gives the command: found stored already is no failure.
int FileStatus(const FileResult& result);
// 0 when every file succeeded or was stored already, and moved where asked;
// otherwise the highest status of a file (1 for a move that failed).
int BatchStatus(const std::vector<BatchEntry>& entries, bool interrupted);

// "importado", "já importado", "erro" ...
std::string OutcomeLabel(const FileResult& result);

// The run's --json object, with "file", "bank", "already_imported", what the file
// told of its bank ("recognised") and where it went ("moved_to", "not_moved").
nlohmann::json FileJson(const BatchEntry& entry);
// The last line of --json: {"files", "outcomes": {label: count}, "interrupted",
// "status"}.
nlohmann::json BatchJson(const std::vector<BatchEntry>& entries, std::size_t files,
                         bool interrupted);

// One row a file: file, bank, account, period, movements by verdict, outcome, and
// where it went when moves were asked for.
std::string BatchTable(const std::vector<BatchEntry>& entries);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_BATCH_REPORT_H_
