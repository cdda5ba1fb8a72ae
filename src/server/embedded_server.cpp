#include "server/embedded_server.h"

#include "server/http_server.h"
#include "server/service.h"

namespace server {

namespace {

// One screen talks to it: a couple of workers and sessions are plenty.
constexpr int kEmbeddedWorkers = 2;

}  // namespace

EmbeddedServer::EmbeddedServer(const std::string& database_uri)
    : service_(Service::Open({database_uri, kEmbeddedWorkers, true})) {
  HttpServerOptions options;
  options.port = 0;
  options.threads = kEmbeddedWorkers;
  http_ = std::make_unique<HttpServer>(*service_, options);
  port_ = http_->Start();
}

EmbeddedServer::~EmbeddedServer() {
  http_->Stop();
}

}  // namespace server
