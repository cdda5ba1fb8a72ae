#ifndef EXTRATO_APPS_CLI_IMPORT_OPTIONS_H_
#define EXTRATO_APPS_CLI_IMPORT_OPTIONS_H_

// What `extrato import` was told.

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct ImportOptions {
  // Typed into the bank code field; none: the bank the file names.
  std::optional<std::string> bank;
  std::vector<std::string> files;           // files and folders, in the order given
  std::string account_type = "Circulante";  // picked in the account type list
  std::string database_uri;                 // empty: EXTRATO_DB or the user's data folder
  std::string server;                       // empty: the server runs inside this process
  std::string ca_file;                      // empty: EXTRATO_CA or the system's authorities
  std::string company;                      // empty: EXTRATO_EMPRESA or the host's default
  bool yes = false;                         // answer every question "Sim"
  bool no = false;                          // answer every question "Não"
  bool dry_run = false;                     // run the rules, store nothing
  std::string processed;  // where a file goes after it is imported; empty: it stays
  std::string failed;     // where a file goes after it is not; empty: it stays
};

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_IMPORT_OPTIONS_H_
