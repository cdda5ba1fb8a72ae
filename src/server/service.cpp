#include "server/service.h"

#include <fmt/format.h>

#include "host/soci.h"
#include "server/history_methods.h"
#include "server/registry_methods.h"
#include "server/schema.h"
#include "server/session_pool.h"
#include "server/view_methods.h"
#include "server/write_transaction.h"

namespace server {

namespace {

using nlohmann::json;

json Envelope(const Result& result) {
  if (result.ok())
    return {{"ok", true}, {"result", result.value()}};
  return {{"ok", false}, {"error", result.error()}};
}

void RequireCurrentSchema(soci::session& session, const DatabaseUri& uri) {
  int version = StoredSchemaVersion(session, uri.dialect);
  if (version == kSchemaVersion)
    return;
  if (version == 0) {
    throw DatabaseError(fmt::format(
        "O banco de dados {} não tem as tabelas do extrato: execute 'extrato db init --db {}'.",
        uri.text, uri.text));
  }
  throw DatabaseError(fmt::format(
      "O banco de dados {} está na versão {} do esquema e este programa usa a versão {}{}.",
      uri.text, version, kSchemaVersion,
      version < kSchemaVersion ? ": execute 'extrato db init' para atualizá-lo" : ""));
}

}  // namespace

std::optional<std::string> RequestShapeError(const json& request) {
  if (!request.is_object())
    return "Requisição inválida: esperado um objeto JSON.";
  auto method = request.find("method");
  if (method == request.end() || !method->is_string() || method->get<std::string>().empty()) {
    return "Requisição inválida: falta o nome do método (\"method\").";
  }
  auto params = request.find("params");
  if (params == request.end() || !params->is_array()) {
    return "Requisição inválida: os argumentos (\"params\") devem ser uma lista.";
  }
  return std::nullopt;
}

std::unique_ptr<Service> Service::Open(const ServiceOptions& options) {
  DatabaseUri uri = ParseDatabaseUri(options.database_uri);
  auto pool = std::make_unique<SessionPool>(uri, options.pool_size);
  {
    SessionPool::Lease lease(*pool);
    try {
      if (options.create_schema) {
        MigrateSchema(lease.session(), uri.dialect);
      } else {
        RequireCurrentSchema(lease.session(), uri);
      }
    } catch (const soci::soci_error& e) {
      throw DatabaseError(fmt::format("Não foi possível preparar o banco de dados {}: {}", uri.text,
                                      e.get_error_message()));
    }
  }
  return std::unique_ptr<Service>(new Service(std::move(pool)));
}

Service::Service(std::unique_ptr<SessionPool> pool) : pool_(std::move(pool)) {
  for (auto list : {LookupMethods(), StatementMethods(), StoreMethods(), BatchLookupMethods(),
                    RegistryMethods(), HistoryMethods(), ViewMethods()}) {
    for (Method& method : list)
      methods_.emplace(method.name, std::move(method));
  }
}

Service::~Service() = default;

json Service::Handle(const json& request, const Caller& caller) {
  return Handle(Call{request, {}}, caller);
}

json Service::Handle(Call call, const Caller& caller) {
  try {
    return Envelope(Dispatch(call, caller));
  } catch (const std::exception& e) {
    return Envelope(Failure{fmt::format("Erro interno do servidor de aplicação: {}", e.what())});
  } catch (...) {
    return Envelope(Failure{"Erro interno do servidor de aplicação."});
  }
}

Result Service::Dispatch(Call& call, const Caller& caller) {
  const json& request = call.request;
  if (auto error = RequestShapeError(request))
    return Failure{*error};
  const std::string& name = request["method"].get_ref<const std::string&>();
  auto found = methods_.find(name);
  if (found == methods_.end())
    return Failure{fmt::format("Método desconhecido: {}.", name)};
  if (Role needed = RequiredRole(name); caller.role < needed) {
    return Failure{fmt::format("Acesso negado: {} exige o papel {}, e o usuário {} tem o papel {}.",
                               name, RoleName(needed), caller.name, RoleName(caller.role))};
  }
  auto args = Arguments::Read(name, found->second.params, request["params"], &call.packets);
  if (!args.ok())
    return args.failure();
  return Run(found->second, args.value(), caller);
}

std::optional<Caller> Service::Authenticate(std::string_view token) {
  SessionPool::Lease lease(*pool_);
  return Users(lease.session(), pool_->uri().dialect).Authenticate(token);
}

bool Service::HasUsers() {
  SessionPool::Lease lease(*pool_);
  return Users(lease.session(), pool_->uri().dialect).Any();
}

bool Service::Healthy() {
  try {
    SessionPool::Lease lease(*pool_);
    try {
      int one = 0;
      lease.session() << "SELECT 1", soci::into(one);
      return one == 1;
    } catch (const soci::soci_error&) {
      if (!lease.session().is_connected())
        lease.Reconnect();
      return false;
    }
  } catch (const std::exception&) {
    return false;
  }
}

// A session whose connection broke (the database restarted) is opened again and the
// call run once more, unless its commit was sent: it may have been stored.
Result Service::Run(const Method& method, const Arguments& args, const Caller& caller) {
  try {
    // A session opened for this call may fail to open.
    SessionPool::Lease lease(*pool_);
    // Closed when the database was still down the last time it was opened again.
    if (lease.session().get_backend() == nullptr)
      lease.Reconnect();
    for (int attempt = 1;; ++attempt) {
      Db db{lease.session(), pool_->uri().dialect, caller.name, lease.kept()};
      try {
        return method.run(db, args);
      } catch (const CommitUncertain&) {
        throw;
      } catch (const soci::soci_error& e) {
        bool broken = !lease.session().is_connected();
        if (broken)
          lease.Reconnect();
        if (!broken || attempt > 1) {
          return Failure{
              fmt::format("Falha no banco de dados em {}: {}", method.name, e.get_error_message())};
        }
      }
    }
  } catch (const DatabaseError& e) {
    return Failure{e.what()};
  }
}

}  // namespace server
