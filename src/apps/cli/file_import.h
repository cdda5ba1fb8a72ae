#ifndef EXTRATO_APPS_CLI_FILE_IMPORT_H_
#define EXTRATO_APPS_CLI_FILE_IMPORT_H_

// One ordinary import of one file, as a person works the screen, in a session that
// keeps the application server and the screen module for every file of a command.

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/cli/import_options.h"
#include "apps/cli/import_report.h"
#include "apps/cli/terminal_ui.h"

namespace cli {

struct FileResult {
  std::string file;  // as given
  std::string bank;  // typed into the screen
  RunOutcome outcome = RunOutcome::kError;
  // Found stored already: nothing new, nothing wrong.
  bool already_imported = false;
  // Everything shown or asked, the lines about the file's bank first.
  std::vector<ShownMessage> shown;
  nlohmann::json summary;     // null when the run read nothing
  nlohmann::json recognised;  // what the file told of its bank; null when not read
};

class ImportSession {
 public:
  // Opens the database or reaches the server; throws, with the reason, when it cannot.
  explicit ImportSession(const ImportOptions& options);
  ~ImportSession();
  ImportSession(const ImportSession&) = delete;
  ImportSession& operator=(const ImportSession&) = delete;

  // Imports one file; the run's dialogs through a terminal of these options.
  FileResult Import(const std::string& file, const TerminalUiOptions& ui_options);

 private:
  struct Parts;
  const ImportOptions& options_;
  std::unique_ptr<Parts> parts_;
};

// A command that could not begin: the reason as the only message.
FileResult FailedToBegin(const std::string& reason);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_FILE_IMPORT_H_
