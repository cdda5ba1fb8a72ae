#include "apps/gui/server_link.h"

#include <fmt/format.h>

#include "apps/common/remote_reads.h"
#include "apps/common/server_address.h"
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
    apps::ServerAddress address = apps::ServerAddressOf(options.server_url);
    config.web_url = address.host;
    config.web_port = address.port;
    config.web_tls = address.tls;
    if (!options.ca_file.empty())
      config.ca_file = options.ca_file;
  }
  host::SetTransportFactory(in_process_ ? in_process_->Factory() : host::HttpTransportFactory());
  config.database_uri = database_uri;
}

ServerLink::~ServerLink() {
  apps::ReadThroughServer(false);
  host::SetTransportFactory(nullptr);
}

std::string ServerLink::ServerShown() const {
  if (in_process_)
    return "Servidor: embutido (sem porta)";
  const host::HostConfig& config = host::Config();
  return fmt::format("Servidor: {}://{}:{}", config.web_tls ? "https" : "http", config.web_url,
                     config.web_port);
}

}  // namespace gui
