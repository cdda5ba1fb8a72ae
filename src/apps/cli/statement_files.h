#ifndef EXTRATO_APPS_CLI_STATEMENT_FILES_H_
#define EXTRATO_APPS_CLI_STATEMENT_FILES_H_

// The files a command imports: each file named, and the statement files of each
// folder named.

#include <string>
#include <vector>

namespace cli {

// Whether a file in a folder is taken as a statement file: not hidden, and named
// .txt, .ret, .ext or .cnab in any case. A file named by itself is always taken.
bool IsStatementFileName(const std::string& name);

// The paths in the order given, each folder replaced by its statement files in
// name order (hidden files and sub-folders left out). Anything else, a path that
// does not exist included, stays as given, for the run to say what it is.
std::vector<std::string> StatementFiles(const std::vector<std::string>& paths);

// Whether any path names a folder, or several paths are given.
bool ManyFiles(const std::vector<std::string>& paths);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_STATEMENT_FILES_H_
