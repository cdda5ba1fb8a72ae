#include "apps/gui/server_link.h"

#include <fmt/format.h>

#include "apps/common/remote_reads.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "server/database.h"
#include "server/in_process_server.h"

namespace gui {

ServerLink::ServerLink(const LaunchOptions& options) {
  std::string database_uri =
      options.database_uri.empty() ? host::DefaultDatabaseUri() : options.database_uri;
  // A workstation with a server address knows no database of its own.
  database_shown_ = options.server_url.empty() ? server::ParseDatabaseUri(database_uri).text
                                               : "o do servidor de aplicação";
  host::HostConfig& config = host::Config();
  if (options.server_url.empty()) {
    in_process_ = std::make_unique<server::InProcessServer>(database_uri);
  } else {
    apps::ReadThroughServer(true);
    ServerAddress address = ParseServerUrl(options.server_url);
    config.web_url = address.host;
    config.web_port = address.port;
    config.web_tls = address.tls;
    if (!options.ca_file.empty())
      config.ca_file = options.ca_file;
  }
  SetPreview(false);
  config.database_uri = database_uri;
}

ServerLink::~ServerLink() {
  apps::ReadThroughServer(false);
  host::SetTransportFactory(nullptr);
}

namespace {

// A connection that follows the preview switch at every call: a screen left open
// when the switch changes goes on with its connection, in the new mode.
class SwitchedTransport : public host::Transport {
 public:
  SwitchedTransport(std::unique_ptr<host::Transport> plain,
                    std::unique_ptr<host::Transport> preview, const bool& previewing)
      : plain_(std::move(plain)), preview_(std::move(preview)), previewing_(previewing) {}

  host::Variant Send(const std::string& server_name, const host::Variant& request) override {
    return Current().Send(server_name, request);
  }
  host::Variant SendWritten(const std::string& server_name,
                            const host::RequestWriter& writer) override {
    return Current().SendWritten(server_name, writer);
  }

 private:
  host::Transport& Current() { return previewing_ ? *preview_ : *plain_; }

  std::unique_ptr<host::Transport> plain_;
  std::unique_ptr<host::Transport> preview_;
  const bool& previewing_;
};

}  // namespace

void ServerLink::SetPreview(bool preview) {
  preview_ = preview;
  held_back_.Clear();
  if (switched_)
    return;
  switched_ = true;
  host::TransportFactory plain =
      in_process_ ? in_process_->Factory() : host::HttpTransportFactory();
  host::TransportFactory held = apps::WithoutWrites(plain, held_back_);
  host::SetTransportFactory(calls_.Watching(
      [this, plain, held](const std::string& host, int port) -> std::unique_ptr<host::Transport> {
        return std::make_unique<SwitchedTransport>(plain(host, port), held(host, port), preview_);
      }));
}

std::string ServerLink::ServerShown() const {
  if (in_process_)
    return "Servidor: embutido (sem porta)";
  const host::HostConfig& config = host::Config();
  return fmt::format("Servidor: {}://{}:{}", config.web_tls ? "https" : "http", config.web_url,
                     config.web_port);
}

}  // namespace gui
