#ifndef EXTRATO_APPS_CLI_SERVICE_SESSION_H_
#define EXTRATO_APPS_CLI_SERVICE_SESSION_H_

// The application server for one command that is not an import: run inside this
// process on the database, or a running `extrato serve`, reached through the same
// connection the screen uses.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/net_connection.h"

namespace server {
class InProcessServer;
}  // namespace server

namespace cli {

struct SessionOptions {
  std::string database_uri;  // empty: EXTRATO_DB or the user's data folder
  std::string server;        // empty: the server runs inside this process
  std::string ca_file;       // empty: EXTRATO_CA or the system's authorities
};

// Adds --db, --server and --ca to a command.
void AddSessionOptions(CLI::App& command, SessionOptions& options);

// A failure the server answered; its text is for the user.
class ServiceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ServiceSession {
 public:
  // Throws DatabaseError for a database that does not exist or cannot be opened.
  explicit ServiceSession(const SessionOptions& options);
  ~ServiceSession();
  ServiceSession(const ServiceSession&) = delete;
  ServiceSession& operator=(const ServiceSession&) = delete;

  // The method's payload; throws ServiceError with the server's text.
  nlohmann::json Call(const std::string& method, nlohmann::json params);

  // The database, as shown to the user.
  const std::string& DatabaseShown() const { return database_shown_; }

 private:
  std::unique_ptr<server::InProcessServer> in_process_;
  host::TNetConnection connection_{"netCadastros"};
  std::string database_shown_;
};

struct CommandEnd;

// Runs `work` on a session opened as `options` say, and prints how it ended (a failure
// to open the session included); answers the exit status.
int RunOnSession(const SessionOptions& options, bool json,
                 const std::function<CommandEnd(ServiceSession&)>& work);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SERVICE_SESSION_H_
