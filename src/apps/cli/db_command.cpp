// extrato db init | demo: sets up a database for the application server.
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "server/in_process_server.h"
#include "server/schema.h"

namespace cli {

namespace {

struct DbOptions {
  std::string uri;   // empty: the default database
  bool add = false;  // demo: add to a database that holds banks already
};

// A task on the database `uri`, shown to the user as `shown`; answers what it did.
using DbTask = CommandEnd (*)(const std::string& uri, const std::string& shown,
                              const DbOptions& options);

int RunDbTask(const DbOptions& options, DbTask task, bool json) {
  CommandEnd end;
  try {
    std::string uri = options.uri.empty() ? server::DefaultDatabaseUri() : options.uri;
    end = task(uri, server::ParseDatabaseUri(uri).text, options);
  } catch (const std::exception& e) {
    end = Failed(e.what());
  }
  return Finish(end, json, std::cout, std::cerr);
}

CommandEnd Done(std::string text, nlohmann::json result) {
  CommandEnd end;
  end.text = std::move(text);
  end.result = std::move(result);
  return end;
}

CommandEnd Init(const std::string& uri, const std::string& shown, const DbOptions&) {
  server::InitSchema(uri);
  return Done(fmt::format("Tabelas do extrato prontas em {} (versão {} do esquema).", shown,
                          server::kSchemaVersion),
              {{"database", shown}, {"schema_version", server::kSchemaVersion}});
}

std::size_t BanksIn(const std::string& uri) {
  server::InProcessServer service(uri);
  nlohmann::json answer =
      service.Handle({{"method", "GetBancos"}, {"params", nlohmann::json::array()}});
  if (!answer.value("ok", false))
    throw std::runtime_error(answer.value("error", ""));
  return answer["result"]["rows"].size();
}

// A real database must not get demonstration banks by a slip of --db.
CommandEnd Demo(const std::string& uri, const std::string& shown, const DbOptions& options) {
  if (!options.add) {
    if (std::size_t banks = BanksIn(uri)) {
      return Failed(fmt::format(
          "O banco de dados {} já tem {} banco(s) cadastrado(s); para acrescentar os de "
          "demonstração, use extrato db demo --add.",
          shown, banks));
    }
  }
  server::DemoCounts counts = server::LoadDemo(uri);
  return Done(
      fmt::format("Dados de demonstração em {}: {} bancos, {} contas correntes, {} layout(s).",
                  shown, counts.banks, counts.accounts, counts.layouts),
      {{"database", shown},
       {"banks", counts.banks},
       {"accounts", counts.accounts},
       {"layouts", counts.layouts}});
}

CLI::App* AddDbTask(CLI::App& db, const char* name, const char* description, DbTask task,
                    RunContext& context, std::shared_ptr<DbOptions> options) {
  CLI::App* command = db.add_subcommand(name, description);
  command
      ->add_option("--db", options->uri,
                   "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou "
                   "o arquivo na pasta de dados do usuário)")
      ->option_text("URI");
  command->callback(
      [options, task, &context] { context.status = RunDbTask(*options, task, context.json); });
  return command;
}

}  // namespace

void AddDbCommands(CLI::App& app, RunContext& context) {
  CLI::App* db = app.add_subcommand("db", "Prepara o banco de dados do servidor de aplicação.");
  db->require_subcommand(1);
  AddDbTask(*db, "init", "Cria as tabelas, ou as atualiza para esta versão.", Init, context,
            std::make_shared<DbOptions>());
  auto demo_options = std::make_shared<DbOptions>();
  CLI::App* demo = AddDbTask(*db, "demo",
                             "Cria as tabelas e acrescenta bancos e contas de demonstração "
                             "(só num banco de dados sem bancos, a não ser com --add).",
                             Demo, context, demo_options);
  demo->add_flag("--add", demo_options->add,
                 "Acrescenta os dados de demonstração mesmo que já haja bancos cadastrados");
}

}  // namespace cli
