#ifndef EXTRATO_APPS_GUI_SERVER_LINK_H_
#define EXTRATO_APPS_GUI_SERVER_LINK_H_

#include <memory>
#include <string>

#include "apps/gui/launch_options.h"

namespace server {
class InProcessServer;
}  // namespace server

namespace gui {

// The application server the screens talk to: the real server run inside this
// process with no port (no other process can reach it), or a running `extrato
// serve`. While it lives, the host configuration points at it and at the
// database the bank lookup reads.
class ServerLink {
 public:
  // Throws host::Exception or server::DatabaseError when the address or the
  // database is not usable or the embedded server cannot start.
  explicit ServerLink(const LaunchOptions& options);
  ~ServerLink();
  ServerLink(const ServerLink&) = delete;
  ServerLink& operator=(const ServerLink&) = delete;

  // For the status bar: where the server is, and what it stores in.
  std::string ServerShown() const;
  const std::string& DatabaseShown() const { return database_shown_; }

 private:
  std::unique_ptr<server::InProcessServer> in_process_;
  std::string database_shown_;  // the database URI without a password
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SERVER_LINK_H_
