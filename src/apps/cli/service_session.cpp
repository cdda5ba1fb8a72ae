#include "apps/cli/service_session.h"

#include <iostream>

#include "apps/cli/command_output.h"
#include "apps/cli/server_address.h"
#include "apps/common/remote_reads.h"
#include "host/config.h"
#include "server/database.h"
#include "server/in_process_server.h"

namespace cli {

namespace {
constexpr const char* kServerName = "QAR62700.rdmImpExtBanc";
}  // namespace

void AddSessionOptions(CLI::App& command, SessionOptions& options) {
  command
      .add_option("--db", options.database_uri,
                  "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou o "
                  "arquivo na pasta de dados do usuário)")
      ->option_text("URI");
  command
      .add_option("--server", options.server,
                  "Servidor de aplicação em execução (extrato serve); sem ele, o servidor roda "
                  "dentro deste processo")
      ->option_text("URL")
      ->check(ServerAddressValidator());
  AddCaOption(command, options.ca_file);
}

ServiceSession::ServiceSession(const SessionOptions& options) {
  // A workstation with a server address has no database of its own, not even a folder.
  bool local = options.server.empty();
  std::string uri =
      options.database_uri.empty() && local ? server::DefaultDatabaseUri() : options.database_uri;
  database_shown_ = local ? server::ParseDatabaseUri(uri).text : "o do servidor de aplicação";
  host::Config() = host::LoadHostConfig(ConnectionOverrides(uri, options.server, options.ca_file));
  if (auto notice = apps::UnusedDatabaseNotice(options.database_uri, options.server))
    std::cerr << *notice << "\n";
  if (options.server.empty()) {
    server::RequireExistingDatabase(uri);
    in_process_ = std::make_unique<server::InProcessServer>(uri);
  }
  connection_.SetHost(host::Config().web_url);
  connection_.SetPort(host::Config().web_port);
  connection_.SetServerName(kServerName);
  connection_.SetConnected(true);
}

ServiceSession::~ServiceSession() {
  connection_.SetConnected(false);
}

nlohmann::json ServiceSession::Call(const std::string& method, nlohmann::json params) {
  host::Variant answer = connection_.AppServer().Call(method, params);
  if (!answer.value("ok", false))
    throw ServiceError(answer.value("error", "Resposta inválida do servidor de aplicação."));
  return answer["result"];
}

int RunOnSession(const SessionOptions& options, bool json,
                 const std::function<CommandEnd(ServiceSession&)>& work) {
  CommandEnd end;
  try {
    ServiceSession session(options);
    end = work(session);
  } catch (const std::exception& e) {
    end = Failed(e.what());
  }
  return Finish(end, json, std::cout, std::cerr);
}

}  // namespace cli
