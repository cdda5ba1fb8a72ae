#ifndef EXTRATO_TESTS_CLI_PROCESS_H_
#define EXTRATO_TESTS_CLI_PROCESS_H_

// Test support: runs a program as a child process, the way a shell would.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli_test {

struct ProcessOptions {
  std::vector<std::string> argv;
  // Variables set (or, with no value, removed) on top of this process's environment.
  std::map<std::string, std::optional<std::string>> env;
  // Working folder; empty: this process's.
  std::string folder;
};

struct ProcessResult {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs the program with stdin on /dev/null (never a terminal) and waits for it.
ProcessResult RunProcess(const ProcessOptions& options);

// Runs `extrato` with the arguments and `--db database_uri`, EXTRATO_DB unset.
ProcessResult RunCli(std::vector<std::string> arguments, const std::string& database_uri);

// A program left running in the background, stopped with SIGTERM when destroyed.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(const ProcessOptions& options);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // Reads its stderr until a line holds `text` and answers that line; empty when
  // the stream ends first.
  std::string WaitForLine(const std::string& text);

  void Signal(int signal) const;
  // Waits for it to end; answers its status and the rest of its stderr (its
  // stdout is not kept).
  ProcessResult Wait();

 private:
  pid_t pid_ = -1;
  int err_ = -1;
  std::string pending_;
};

}  // namespace cli_test

#endif  // EXTRATO_TESTS_CLI_PROCESS_H_
