// The application server inside the front end's own process, with no socket.
#ifndef EXTRATO_SERVER_IN_PROCESS_SERVER_H_
#define EXTRATO_SERVER_IN_PROCESS_SERVER_H_

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/net_connection.h"
#include "server/users.h"

namespace server {

class Service;

// Opens the database (creating or updating its tables) and, while it lives, carries
// every connection this process opens straight to the service's dispatcher. Nothing
// listens, so no other process can reach it. Throws DatabaseError when the database
// cannot be opened.
class InProcessServer {
 public:
  explicit InProcessServer(const std::string& database_uri);
  ~InProcessServer();
  InProcessServer(const InProcessServer&) = delete;
  InProcessServer& operator=(const InProcessServer&) = delete;

  // Answers one request as a connection would get it; for callers that hold no
  // connection of their own.
  nlohmann::json Handle(const nlohmann::json& request);

  // Transports to this server, for a caller that wraps them and installs its own.
  host::TransportFactory Factory();

 private:
  std::unique_ptr<Service> service_;
  // Whoever runs this process: the history names them.
  const Caller caller_ = LocalCaller();
};

// Throws DatabaseError when `uri` names an SQLite file that does not exist, with
// the command that creates it.
void RequireExistingDatabase(const std::string& uri);

}  // namespace server

#endif  // EXTRATO_SERVER_IN_PROCESS_SERVER_H_
