// extrato db init | demo: sets up a database for the application server.
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/commands.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "server/schema.h"

namespace cli {

namespace {

// A task on the database `uri`, shown to the user as `shown`; answers what it did.
using DbTask = std::string (*)(const std::string& uri, const std::string& shown);

// Runs one database task, reporting its failure on stderr.
int RunDbTask(const std::string& given_uri, DbTask task) {
  try {
    std::string uri = given_uri.empty() ? server::DefaultDatabaseUri() : given_uri;
    std::cout << task(uri, server::ParseDatabaseUri(uri).text) << "\n";
    return kExitSuccess;
  } catch (const std::exception& e) {
    std::cerr << "extrato db: " << e.what() << "\n";
    return kExitError;
  }
}

std::string Init(const std::string& uri, const std::string& shown) {
  server::InitSchema(uri);
  return fmt::format("Tabelas do extrato prontas em {} (versão {} do esquema).", shown,
                     server::kSchemaVersion);
}

std::string Demo(const std::string& uri, const std::string& shown) {
  server::DemoCounts counts = server::LoadDemo(uri);
  return fmt::format("Dados de demonstração em {}: {} bancos, {} contas correntes, {} layout(s).",
                     shown, counts.banks, counts.accounts, counts.layouts);
}

void AddDbTask(CLI::App& db, const char* name, const char* description, DbTask task, int& status) {
  auto uri = std::make_shared<std::string>();
  CLI::App* command = db.add_subcommand(name, description);
  command->add_option("--db", *uri,
                      "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou "
                      "o arquivo na pasta de dados do usuário)");
  command->callback([uri, task, &status] { status = RunDbTask(*uri, task); });
}

}  // namespace

void AddDbCommands(CLI::App& app, int& status) {
  CLI::App* db = app.add_subcommand("db", "Prepara o banco de dados do servidor de aplicação.");
  db->require_subcommand(1);
  AddDbTask(*db, "init", "Cria as tabelas, ou as atualiza para esta versão.", Init, status);
  AddDbTask(*db, "demo", "Cria as tabelas e acrescenta bancos e contas de demonstração.", Demo,
            status);
}

}  // namespace cli
