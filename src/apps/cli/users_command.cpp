// extrato usuarios: who may call the application server, run on its database by
// whoever administers it. A token is shown once, alone on the last line of stdout.
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "apps/cli/text_table.h"
#include "server/database.h"
#include "server/users.h"

namespace cli {

namespace {

using nlohmann::json;

struct UsersOptions {
  std::string uri;           // empty: the default database
  std::string name;          // the user
  std::string role = "ler";  // incluir: ler, importar or administrar
};

const std::vector<ShownColumn> kUserColumns = {
    {"NMUSUARIO", "name", "Usuário"},
    {"IDPAPEL", "role", "Papel"},
    {"DTHRCRIACAO", "created", "Criado em (UTC)"},
};

using UsersTask = CommandEnd (*)(server::Users& users, const UsersOptions& options);

int RunUsersTask(const UsersOptions& options, UsersTask task, bool json_output) {
  CommandEnd end;
  try {
    std::string uri = options.uri.empty() ? server::DefaultDatabaseUri() : options.uri;
    server::WithUsers(uri, [&](server::Users& users) { end = task(users, options); });
  } catch (const std::exception& e) {
    end = Failed(e.what());
  }
  return Finish(end, json_output, std::cout, std::cerr);
}

// The token goes alone on the last line, for a script to take; the note, to stderr.
CommandEnd TokenShown(const std::string& note, const std::string& name, const std::string& token) {
  CommandEnd end;
  end.messages.push_back({std::nullopt, "information", note});
  end.text = token;
  end.result = {{"name", name}, {"token", token}};
  return end;
}

CommandEnd Add(server::Users& users, const UsersOptions& options) {
  std::optional<server::Role> role = server::ParseRole(options.role);
  if (!role) {
    return Failed(
        fmt::format("Papel desconhecido: '{}'. Use ler, importar ou administrar.", options.role),
        RunOutcome::kUsage);
  }
  std::string token = users.Add(options.name, *role);
  return TokenShown(fmt::format("Usuário {} incluído com o papel {}. Guarde o token abaixo: ele "
                                "não é mostrado de novo.",
                                options.name, options.role),
                    options.name, token);
}

CommandEnd NewToken(server::Users& users, const UsersOptions& options) {
  std::string token = users.NewToken(options.name);
  return TokenShown(fmt::format("Novo token do usuário {}; o anterior deixou de valer. Guarde-o: "
                                "ele não é mostrado de novo.",
                                options.name),
                    options.name, token);
}

CommandEnd Remove(server::Users& users, const UsersOptions& options) {
  if (!users.Remove(options.name))
    return Failed(fmt::format("O usuário {} não existe.", options.name));
  CommandEnd end;
  end.messages.push_back(
      {std::nullopt, "information", fmt::format("Usuário {} excluído.", options.name)});
  end.result = {{"name", options.name}};
  return end;
}

CommandEnd List(server::Users& users, const UsersOptions&) {
  json packet = {{"fields", json::array()}, {"rows", json::array()}};
  for (const ShownColumn& column : kUserColumns)
    packet["fields"].push_back({column.field, "text", 30});
  for (const server::UserRow& row : users.List())
    packet["rows"].push_back({row.name, server::RoleName(row.role), row.created});
  CommandEnd end;
  end.text = TextTable(packet, kUserColumns, "Nenhum usuário cadastrado.");
  end.result = JsonRows(packet, kUserColumns);
  return end;
}

CLI::App* AddUsersTask(CLI::App& parent, const char* name, const char* description, UsersTask task,
                       RunContext& context, bool takes_name) {
  auto options = std::make_shared<UsersOptions>();
  CLI::App* command = parent.add_subcommand(name, description);
  if (takes_name)
    command->add_option("nome", options->name, "Nome do usuário")->required();
  command
      ->add_option("--db", options->uri,
                   "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou "
                   "o arquivo na pasta de dados do usuário)")
      ->option_text("URI");
  if (task == Add) {
    command
        ->add_option("--papel", options->role,
                     "ler (listas e histórico), importar (também importa) ou administrar "
                     "(também cadastros e desfazer); padrão: ler")
        ->option_text("PAPEL");
  }
  command->callback(
      [options, task, &context] { context.status = RunUsersTask(*options, task, context.json); });
  return command;
}

}  // namespace

void AddUsersCommands(CLI::App& app, RunContext& context) {
  CLI::App* users = app.add_subcommand(
      "usuarios", "Usuários do servidor de aplicação e seus papéis (no banco de dados).");
  users->require_subcommand(1);
  AddUsersTask(*users, "listar", "Lista os usuários e seus papéis.", List, context, false);
  AddUsersTask(*users, "incluir", "Inclui um usuário e mostra seu token, uma única vez.", Add,
               context, true);
  AddUsersTask(*users, "remover", "Exclui um usuário: seu token deixa de valer.", Remove, context,
               true);
  AddUsersTask(*users, "novo-token", "Troca o token de um usuário e mostra o novo.", NewToken,
               context, true);
}

}  // namespace cli
