// extrato bancos | contas | layouts: the banks, current accounts and the company's
// layout per bank, kept through the application server.
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "apps/cli/service_session.h"
#include "apps/cli/text_table.h"
#include "apps/cli/usage.h"
#include "host/config.h"
#include "host/routines.h"
#include "layouts/layouts.h"
#include "server/account_number.h"

namespace cli {

namespace {

using nlohmann::json;

const std::vector<ShownColumn> kBankColumns = {
    {"CDBANCO", "code", "Código"},
    {"NMBANCO", "name", "Nome"},
    {"CDBANCCNAB", "cnab", "CNAB"},
    {"CDPICTCONT", "mask", "Máscara da conta"},
};
const std::vector<ShownColumn> kAccountColumns = {
    {"CDREDUCONT", "code", "Código"},   {"CDBANCO", "bank", "Banco"},
    {"CDAGENCIA", "agency", "Agência"}, {"NRCONTEXIB", "number", "Número"},
    {"IDTIPOCONTA", "type", "Tipo"},    {"NMCONTCORR", "name", "Nome"},
};
const std::vector<ShownColumn> kLayoutColumns = {
    {"CDBANCO", "bank", "Banco"},
    {"IDLAYOUT", "layout", "Layout"},
};

// What a registry command was told, shared by its actions.
struct RegistryOptions {
  SessionOptions session;
  std::string code, name, cnab, mask;      // banks; accounts: code
  std::string bank, agency, number, type;  // accounts; layouts: bank
  std::string layout;                      // layouts
  std::string company;                     // layouts; empty: EXTRATO_EMPRESA or 1
};

using Work = std::function<CommandEnd(ServiceSession& session, const RegistryOptions& options,
                                      const CLI::App& command)>;

CommandEnd Listed(const json& packet, const std::vector<ShownColumn>& columns,
                  const std::string& empty) {
  CommandEnd end;
  end.text = TextTable(packet, columns, empty);
  end.result = JsonRows(packet, columns);
  return end;
}

CommandEnd Told(std::string text) {
  CommandEnd end;
  end.messages.push_back({std::nullopt, "information", text});
  return end;
}

int Run(const RegistryOptions& options, const CLI::App& command, const Work& work, bool json) {
  return RunOnSession(options.session, json,
                      [&](ServiceSession& session) { return work(session, options, command); });
}

// The value given on the command line, or the one stored in `row`.
std::string GivenOr(const CLI::App& command, const char* option, const std::string& given,
                    const json& packet, const json& row, std::string_view field) {
  return command.count(option) ? given : Cell(packet, row, field);
}

// The row of `packet` whose `field` is `code`; throws ServiceError when none.
json RowWith(const json& packet, std::string_view field, const std::string& code,
             const std::string& missing) {
  for (const json& row : packet.at("rows")) {
    if (Cell(packet, row, field) == code)
      return row;
  }
  throw ServiceError(missing);
}

// --- Banks ---

CommandEnd ListBanks(ServiceSession& session, const RegistryOptions&, const CLI::App&) {
  return Listed(session.Call("GetBancos", json::array()), kBankColumns,
                "Nenhum banco cadastrado. Inclua um com: extrato bancos incluir --code 237 "
                "--name \"BANCO BRADESCO S.A.\" --mask 9999999-9");
}

CommandEnd AddBank(ServiceSession& session, const RegistryOptions& o, const CLI::App& command) {
  std::string cnab = command.count("--cnab") ? o.cnab : o.code;
  session.Call("IncluiBanco", {o.code, o.name, cnab, o.mask});
  return Told(fmt::format("Banco {} incluído.", o.code));
}

CommandEnd ChangeBank(ServiceSession& session, const RegistryOptions& o, const CLI::App& command) {
  json banks = session.Call("GetBancos", json::array());
  std::string code = host::Ajusta(o.code, 3);
  json row =
      RowWith(banks, "CDBANCO", code, fmt::format("O banco {} não está cadastrado.", o.code));
  session.Call("AlteraBanco", {code, GivenOr(command, "--name", o.name, banks, row, "NMBANCO"),
                               GivenOr(command, "--cnab", o.cnab, banks, row, "CDBANCCNAB"),
                               GivenOr(command, "--mask", o.mask, banks, row, "CDPICTCONT")});
  return Told(fmt::format("Banco {} alterado.", code));
}

CommandEnd RemoveBank(ServiceSession& session, const RegistryOptions& o, const CLI::App&) {
  session.Call("ExcluiBanco", {o.code});
  return Told(fmt::format("Banco {} excluído.", o.code));
}

// --- Accounts ---

// The account types by the names people type them with.
json WithTypeNames(json accounts) {
  const json& fields = accounts.at("fields");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i][0] != "IDTIPOCONTA")
      continue;
    for (json& row : accounts.at("rows")) {
      if (row[i].is_string())
        row[i] = server::AccountTypeName(row[i].get<std::string>());
    }
  }
  return accounts;
}

CommandEnd ListAccounts(ServiceSession& session, const RegistryOptions& o, const CLI::App&) {
  return Listed(WithTypeNames(session.Call("GetContas", {o.bank})), kAccountColumns,
                "Nenhuma conta corrente cadastrada. Inclua uma com: extrato contas incluir "
                "--code 001 --bank 237 --agency 3509 --number 0012566-8 --type Circulante "
                "--name \"BRADESCO C/C\"");
}

CommandEnd StoreAccount(ServiceSession& session, const RegistryOptions& o, const CLI::App& command,
                        bool adding) {
  json values = {o.code, o.bank, o.agency, o.number, server::AccountTypeLetter(o.type), o.name};
  if (!adding) {
    json accounts = session.Call("GetContas", {""});
    json row = RowWith(accounts, "CDREDUCONT", o.code,
                       fmt::format("A conta corrente {} não está cadastrada.", o.code));
    values = {o.code,
              GivenOr(command, "--bank", o.bank, accounts, row, "CDBANCO"),
              GivenOr(command, "--agency", o.agency, accounts, row, "CDAGENCIA"),
              GivenOr(command, "--number", o.number, accounts, row, "NRCONTCORR"),
              command.count("--type") ? server::AccountTypeLetter(o.type)
                                      : Cell(accounts, row, "IDTIPOCONTA"),
              GivenOr(command, "--name", o.name, accounts, row, "NMCONTCORR")};
  }
  session.Call(adding ? "IncluiConta" : "AlteraConta", values);
  return Told(fmt::format("Conta corrente {} {}.", o.code, adding ? "incluída" : "alterada"));
}

CommandEnd AddAccount(ServiceSession& session, const RegistryOptions& o, const CLI::App& command) {
  return StoreAccount(session, o, command, true);
}

CommandEnd ChangeAccount(ServiceSession& session, const RegistryOptions& o,
                         const CLI::App& command) {
  return StoreAccount(session, o, command, false);
}

CommandEnd RemoveAccount(ServiceSession& session, const RegistryOptions& o, const CLI::App&) {
  session.Call("ExcluiConta", {o.code});
  return Told(fmt::format("Conta corrente {} excluída.", o.code));
}

// --- Layouts ---

std::string Company(const RegistryOptions& o) {
  return o.company.empty() ? host::LoadHostConfig().empresa : o.company;
}

CommandEnd ListLayouts(ServiceSession& session, const RegistryOptions& o, const CLI::App&) {
  return Listed(session.Call("GetLayouts", {Company(o)}), kLayoutColumns,
                fmt::format("A empresa {} não escolheu layout para nenhum banco: cada banco usa "
                            "o seu habitual (Itaú: 200 colunas).",
                            Company(o)));
}

CommandEnd SetLayout(ServiceSession& session, const RegistryOptions& o, const CLI::App&) {
  session.Call("SetLayout", {Company(o), o.bank, o.layout});
  return Told(o.layout.empty() ? fmt::format("A empresa {} volta ao layout habitual do banco {}.",
                                             Company(o), o.bank)
                               : fmt::format("A empresa {} lê o banco {} no layout de {} colunas.",
                                             Company(o), o.bank, o.layout));
}

CommandEnd ClearLayout(ServiceSession& session, const RegistryOptions& o, const CLI::App& command) {
  RegistryOptions cleared = o;
  cleared.layout.clear();
  return SetLayout(session, cleared, command);
}

// --- Wiring ---

CLI::App* Action(CLI::App& parent, const char* name, const char* description,
                 std::shared_ptr<RegistryOptions> options, Work work, RunContext& context) {
  CLI::App* command = parent.add_subcommand(name, description);
  AddSessionOptions(*command, options->session);
  command->callback([command, options, work, &context] {
    context.status = Run(*options, *command, work, context.json);
  });
  return command;
}

// A family: its name alone lists, like its action "listar".
CLI::App* Family(CLI::App& app, const char* name, const char* description,
                 std::shared_ptr<RegistryOptions> options, Work list, RunContext& context) {
  CLI::App* family = app.add_subcommand(name, description);
  family->require_subcommand(0, 1);
  AddSessionOptions(*family, options->session);
  family->callback([family, options, list, &context] {
    if (family->get_subcommands().empty())
      context.status = Run(*options, *family, list, context.json);
  });
  return family;
}

CLI::Option* Text(CLI::App& command, const char* name, std::string& value, const char* help,
                  const char* shown, bool required = false) {
  CLI::Option* option = command.add_option(name, value, help)->option_text(shown);
  if (required)
    option->required();
  return option;
}

void AddBankCommands(CLI::App& app, RunContext& context) {
  auto o = std::make_shared<RegistryOptions>();
  CLI::App* banks =
      Family(app, "bancos", "Lista, inclui, altera e exclui bancos.", o, ListBanks, context);
  Action(*banks, "listar", "Lista os bancos cadastrados.", o, ListBanks, context);
  for (bool adding : {true, false}) {
    CLI::App* store =
        Action(*banks, adding ? "incluir" : "alterar",
               adding ? "Inclui um banco." : "Altera o que for informado de um banco.", o,
               adding ? Work(AddBank) : Work(ChangeBank), context);
    Text(*store, "--code", o->code, "Código do banco (3 caracteres; \"1\" vale \"001\")", "CODIGO",
         true);
    Text(*store, "--name", o->name, "Nome do banco (até 30 caracteres)", "NOME", adding);
    Text(*store, "--cnab", o->cnab,
         "Código do banco no padrão CNAB, que escolhe o layout (padrão: o código do banco)",
         "CODIGO");
    Text(*store, "--mask", o->mask,
         "Máscara do número da conta como o banco o escreve, com \"-\" antes do dígito "
         "(ex.: 9999999-9)",
         "MASCARA", adding);
  }
  CLI::App* remove =
      Action(*banks, "excluir", "Exclui um banco sem contas correntes.", o, RemoveBank, context);
  Text(*remove, "--code", o->code, "Código do banco", "CODIGO", true);
}

void AddAccountCommands(CLI::App& app, RunContext& context) {
  auto o = std::make_shared<RegistryOptions>();
  CLI::App* accounts = Family(app, "contas", "Lista, inclui, altera e exclui contas correntes.", o,
                              ListAccounts, context);
  Text(*accounts, "--bank", o->bank, "Só as contas deste banco", "CODIGO");
  CLI::App* list =
      Action(*accounts, "listar", "Lista as contas correntes.", o, ListAccounts, context);
  Text(*list, "--bank", o->bank, "Só as contas deste banco", "CODIGO");
  for (bool adding : {true, false}) {
    CLI::App* store = Action(
        *accounts, adding ? "incluir" : "alterar",
        adding ? "Inclui uma conta corrente." : "Altera o que for informado de uma conta corrente.",
        o, adding ? Work(AddAccount) : Work(ChangeAccount), context);
    Text(*store, "--code", o->code, "Código reduzido da conta (até 3 caracteres)", "CODIGO", true);
    Text(*store, "--bank", o->bank, "Código do banco", "CODIGO", adding);
    Text(*store, "--agency", o->agency, "Agência, como no arquivo do banco (até 5 caracteres)",
         "AGENCIA", adding);
    Text(*store, "--number", o->number,
         "Número da conta como o banco o escreve (ex.: 9000000-2), conferido com a máscara do "
         "banco",
         "NUMERO", adding);
    Text(*store, "--type", o->type, "Tipo da conta: Circulante, Aplicação ou Garantida", "TIPO",
         adding)
        ->check(OneOf({"Circulante", "Aplicação", "Garantida"}));
    Text(*store, "--name", o->name, "Nome da conta (até 40 caracteres)", "NOME");
  }
  CLI::App* remove =
      Action(*accounts, "excluir", "Exclui uma conta corrente sem extratos importados.", o,
             RemoveAccount, context);
  Text(*remove, "--code", o->code, "Código reduzido da conta", "CODIGO", true);
}

void AddLayoutCommands(CLI::App& app, RunContext& context) {
  auto o = std::make_shared<RegistryOptions>();
  const char* company_help = "Código da empresa (padrão: EXTRATO_EMPRESA ou 1)";
  CLI::App* layouts =
      Family(app, "layouts",
             "Lista e escolhe o layout que a empresa usa para um banco (Itaú: 200 ou 240 "
             "colunas).",
             o, ListLayouts, context);
  Text(*layouts, "--company", o->company, company_help, "CODIGO");
  CLI::App* list = Action(*layouts, "listar", "Lista os layouts escolhidos pela empresa.", o,
                          ListLayouts, context);
  Text(*list, "--company", o->company, company_help, "CODIGO");
  CLI::App* set = Action(*layouts, "definir", "Escolhe o layout da empresa para um banco.", o,
                         SetLayout, context);
  Text(*set, "--bank", o->bank, "Código do banco", "CODIGO", true);
  std::vector<std::string> codes = importers::CompanyLayoutCodes();
  std::string layout_help = fmt::format("Layout: {} (colunas)", fmt::join(codes, " ou "));
  Text(*set, "--layout", o->layout, layout_help.c_str(), "LAYOUT", true)->check(OneOf(codes));
  Text(*set, "--company", o->company, company_help, "CODIGO");
  CLI::App* clear = Action(*layouts, "remover", "Volta ao layout habitual do banco para a empresa.",
                           o, ClearLayout, context);
  Text(*clear, "--bank", o->bank, "Código do banco", "CODIGO", true);
  Text(*clear, "--company", o->company, company_help, "CODIGO");
}

}  // namespace

void AddRegistryCommands(CLI::App& app, RunContext& context) {
  AddBankCommands(app, context);
  AddAccountCommands(app, context);
  AddLayoutCommands(app, context);
}

}  // namespace cli
