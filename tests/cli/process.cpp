#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace cli_test {

namespace {

std::vector<std::string> Environment(const ProcessOptions& options) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    auto equals = text.find('=');
    variables[text.substr(0, equals)] = equals == std::string::npos ? "" : text.substr(equals + 1);
  }
  for (const auto& [name, value] : options.env) {
    if (value)
      variables[name] = *value;
    else
      variables.erase(name);
  }
  std::vector<std::string> result;
  for (const auto& [name, value] : variables)
    result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void Check(int error, const char* what) {
  if (error != 0)
    throw std::runtime_error(std::string(what) + ": " + std::strerror(error));
}

// Starts the program with stdin on /dev/null and stderr on a new pipe, whose
// reading end it answers; stdout goes to a pipe as well when `out` is given, else
// to /dev/null (a closed pipe would end the program by SIGPIPE when it prints).
pid_t Spawn(const ProcessOptions& options, int* out, int& err) {
  std::array<int, 2> out_pipe = {-1, -1};
  std::array<int, 2> err_pipe{};
  if ((out != nullptr && pipe2(out_pipe.data(), O_CLOEXEC) != 0) ||
      pipe2(err_pipe.data(), O_CLOEXEC) != 0)
    throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (out != nullptr)
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
  if (!options.folder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
  std::vector<std::string> argv = options.argv;
  std::vector<std::string> env = Environment(options);
  pid_t pid = -1;
  int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(),
                          Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  if (out != nullptr) {
    close(out_pipe[1]);
    *out = out_pipe[0];
  }
  close(err_pipe[1]);
  err = err_pipe[0];
  Check(error, "posix_spawn");
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Appends what one read brings; false at the end of the stream.
bool ReadSome(int fd, std::string& into) {
  char buffer[4096];
  ssize_t count = read(fd, buffer, sizeof buffer);
  if (count <= 0)
    return false;
  into.append(buffer, static_cast<std::size_t>(count));
  return true;
}

}  // namespace

ProcessResult RunProcess(const ProcessOptions& options) {
  int out = -1;
  int err = -1;
  pid_t pid = Spawn(options, &out, err);
  ProcessResult result;
  // Both pipes at once, so that a child filling one never blocks on it.
  std::array<pollfd, 2> fds = {pollfd{out, POLLIN, 0}, pollfd{err, POLLIN, 0}};
  std::array<std::string*, 2> into = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && poll(fds.data(), fds.size(), -1) >= 0) {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd >= 0 && fds[i].revents != 0 && !ReadSome(fds[i].fd, *into[i])) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  result.status = WaitFor(pid);
  return result;
}

ProcessResult RunCli(std::vector<std::string> arguments, const std::string& database_uri) {
  arguments.insert(arguments.begin(), EXTRATO_CLI);
  arguments.push_back("--db");
  arguments.push_back(database_uri);
  return RunProcess({arguments, {{"EXTRATO_DB", std::nullopt}}, ""});
}

BackgroundProcess::BackgroundProcess(const ProcessOptions& options) {
  pid_ = Spawn(options, nullptr, err_);
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    WaitFor(pid_);
  }
  close(err_);
}

void BackgroundProcess::Signal(int signal) const {
  if (pid_ > 0)
    kill(pid_, signal);
}

ProcessResult BackgroundProcess::Wait() {
  ProcessResult result;
  while (ReadSome(err_, pending_)) {
  }
  result.err = std::move(pending_);
  pending_.clear();
  result.status = WaitFor(pid_);
  pid_ = -1;
  return result;
}

std::string BackgroundProcess::WaitForLine(const std::string& text) {
  for (;;) {
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (line.find(text) != std::string::npos)
        return line;
    }
    if (!ReadSome(err_, pending_))
      return "";
  }
}

}  // namespace cli_test
