// extrato importacoes [desfazer N]: what each import stored, and taking one back.
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "apps/cli/service_session.h"
#include "apps/cli/text_table.h"
#include "apps/common/brazilian_format.h"

namespace cli {

namespace {

using nlohmann::json;

const std::vector<ShownColumn> kImportColumns = {
    {"NRLOGIMP", "number", "Nº"},
    {"DTHRIMPORT", "when", "Quando"},
    {"NMARQUIVO", "file", "Arquivo"},
    {"CDBANCO", "bank", "Banco"},
    {"CDREDUCONT", "account", "Conta"},
    {"QTEXTRATOS", "statements", "Extratos"},
    {"DTINICIO", "first_date", "De"},
    {"DTFIM", "last_date", "Até"},
    {"QTMOVREAL", "movements", "Movimentos"},
    {"NMUSUARIO", "user", "Por"},
    {"DTHRDESFEITA", "undone", "Desfeita em"},
    {"NMUSUDESFEZ", "undone_by", "Desfeita por"},
};

struct HistoryOptions {
  SessionOptions session;
  std::string number;  // the import to undo
};

int Run(const HistoryOptions& options, bool json_output,
        CommandEnd (*work)(ServiceSession&, const HistoryOptions&)) {
  return RunOnSession(options.session, json_output,
                      [&](ServiceSession& session) { return work(session, options); });
}

// The server keeps its moments in UTC; they are shown in this machine's time zone.
json WithMoments(json packet, std::string (*shown)(std::string_view)) {
  const json& fields = packet.at("fields");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (!fields[i][0].get<std::string>().starts_with("DTHR"))
      continue;
    for (json& row : packet.at("rows")) {
      if (row[i].is_string())
        row[i] = shown(row[i].get<std::string>());
    }
  }
  return packet;
}

CommandEnd List(ServiceSession& session, const HistoryOptions&) {
  json imports = session.Call("GetImportacoes", json::array());
  CommandEnd end;
  end.text = TextTable(WithMoments(imports, apps::LocalDateTime), kImportColumns,
                       "Nenhuma importação gravada.");
  end.result = JsonRows(WithMoments(imports, apps::IsoDateTime), kImportColumns);
  return end;
}

CommandEnd Undo(ServiceSession& session, const HistoryOptions& options) {
  json undone = session.Call("DesfazImportacao", {options.number});
  CommandEnd end;
  end.result = undone;
  end.messages.push_back(
      {std::nullopt, "information",
       fmt::format("Importação {} desfeita: {} movimento(s) e {} extrato(s) excluídos.",
                   options.number, undone.value("movements", 0), undone.value("statements", 0))});
  return end;
}

}  // namespace

void AddHistoryCommands(CLI::App& app, RunContext& context) {
  auto options = std::make_shared<HistoryOptions>();
  CLI::App* history =
      app.add_subcommand("importacoes", "Lista as importações gravadas, a mais recente primeiro.");
  history->require_subcommand(0, 1);
  AddSessionOptions(*history, options->session);
  CLI::App* list = history->add_subcommand(
      "listar", "Lista as importações gravadas, a mais recente primeiro (o mesmo que sem ação).");
  AddSessionOptions(*list, options->session);
  list->callback([options, &context] { context.status = Run(*options, context.json, List); });
  CLI::App* undo = history->add_subcommand(
      "desfazer",
      "Desfaz uma importação: exclui os movimentos que ela gravou e os extratos que ela criou e "
      "ficaram vazios; recusado se algum movimento já não está pendente de conciliação.");
  undo->add_option("numero", options->number, "Número da importação (veja extrato importacoes)")
      ->required();
  AddSessionOptions(*undo, options->session);
  history->callback([history, options, &context] {
    if (history->get_subcommands().empty())
      context.status = Run(*options, context.json, List);
  });
  undo->callback([options, &context] { context.status = Run(*options, context.json, Undo); });
}

}  // namespace cli
