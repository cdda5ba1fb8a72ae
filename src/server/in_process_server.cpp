#include "server/in_process_server.h"

#include <filesystem>

#include <fmt/format.h>

#include "server/database.h"
#include "server/request_reader.h"
#include "server/service.h"

namespace server {

namespace {
// One screen talks to it; a second session serves a front end's own calls meanwhile.
constexpr std::size_t kSessions = 2;
}  // namespace

InProcessServer::InProcessServer(const std::string& database_uri)
    : service_(Service::Open({database_uri, kSessions, true})) {
  host::SetTransportFactory(Factory());
}

host::TransportFactory InProcessServer::Factory() {
  return [this](const std::string&, int) -> std::unique_ptr<host::Transport> {
    return std::make_unique<host::InProcessTransport>([this](host::TextPieces request) {
      return AnswerCall(*service_, std::move(request), caller_).body;
    });
  };
}

InProcessServer::~InProcessServer() {
  host::SetTransportFactory(nullptr);
}

nlohmann::json InProcessServer::Handle(const nlohmann::json& request) {
  return service_->Handle(request, caller_);
}

void RequireExistingDatabase(const std::string& uri) {
  DatabaseUri parsed = ParseDatabaseUri(uri);
  if (parsed.dialect != Dialect::kSqlite || parsed.path == ":memory:" ||
      std::filesystem::exists(parsed.path))
    return;
  throw DatabaseError(
      fmt::format("O banco de dados {} não existe: use extrato db init --db {} para criá-lo.",
                  parsed.text, parsed.text));
}

}  // namespace server
