#ifndef EXTRATO_APPS_GUI_SERVER_LINK_H_
#define EXTRATO_APPS_GUI_SERVER_LINK_H_

#include <memory>
#include <string>

#include "apps/common/call_watch.h"
#include "apps/common/dry_run.h"
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
  // What the screens last asked the server, for the messages' details.
  const apps::CallWatch& Calls() const { return calls_; }

  // Previewing: every connection, those open included, holds each write back
  // from its next call on. Answers what they held back, or null when not previewing.
  void SetPreview(bool preview);
  const apps::HeldBack* HeldBack() const { return preview_ ? &held_back_ : nullptr; }

 private:
  apps::CallWatch calls_;
  apps::HeldBack held_back_;
  bool preview_ = false;
  bool switched_ = false;  // the connections' factory follows preview_
  std::unique_ptr<server::InProcessServer> in_process_;
  std::string database_shown_;  // the database URI without a password
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SERVER_LINK_H_
