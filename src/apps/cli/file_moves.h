#ifndef EXTRATO_APPS_CLI_FILE_MOVES_H_
#define EXTRATO_APPS_CLI_FILE_MOVES_H_

// A file moved out of the way once its run's outcome is known: never over another
// file, and left where it is when it cannot be moved.

#include <string>

namespace cli {

struct Moved {
  std::string to;      // the path it has now; empty when it was not moved
  std::string reason;  // why it was not, in Portuguese
};

// Moves `file` into `folder` under its own name, or under NAME.1.EXT, NAME.2.EXT ...
// when that name is taken there.
Moved MoveInto(const std::string& file, const std::string& folder);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_FILE_MOVES_H_
