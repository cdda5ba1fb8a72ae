#include "apps/gui/server_link.h"

#include <fmt/format.h>

#include "host/config.h"
#include "server/database.h"
#include "server/embedded_server.h"

namespace gui {

namespace {
constexpr const char* kLoopback = "127.0.0.1";
}  // namespace

ServerLink::ServerLink(const LaunchOptions& options) {
  std::string database_uri =
      options.database_uri.empty() ? host::DefaultDatabaseUri() : options.database_uri;
  database_shown_ = server::ParseDatabaseUri(database_uri).text;
  host::HostConfig& config = host::Config();
  if (options.server_url.empty()) {
    embedded_ = std::make_unique<server::EmbeddedServer>(database_uri);
    config.web_url = kLoopback;
    config.web_port = embedded_->port();
  } else {
    ServerAddress address = ParseServerUrl(options.server_url);
    config.web_url = address.host;
    config.web_port = address.port;
  }
  config.database_uri = database_uri;
}

ServerLink::~ServerLink() = default;

std::string ServerLink::Description() const {
  const host::HostConfig& config = host::Config();
  return fmt::format("Servidor {}:{}{} | Banco de dados: {}", config.web_url, config.web_port,
                     embedded_ ? " (embutido)" : "", database_shown_);
}

}  // namespace gui
