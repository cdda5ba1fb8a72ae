#include "apps/cli/batch_report.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include <fmt/format.h>

#include "apps/cli/commands.h"
#include "apps/cli/text_table.h"
#include "apps/common/brazilian_format.h"

namespace cli {

namespace {

using nlohmann::json;

constexpr std::array<const char*, 6> kOutcomeNames = {"success", "error", "aborted",
                                                      "none",    "usage", "interrupted"};

std::string OutcomeName(const FileResult& result) {
  return result.already_imported ? "already_imported"
                                 : kOutcomeNames[static_cast<std::size_t>(result.outcome)];
}

std::string DateText(const json& balance) {
  if (!balance.is_object())
    return "";
  std::optional<host::Date> date = host::Date::FromIso(balance["date"].get<std::string>());
  return date ? apps::BrazilianDate(*date) : "";
}

// From the first statement's opening to the last one's closing.
std::string Period(const json& summary) {
  if (!summary.is_object() || summary["statements"].empty())
    return "";
  std::string from = DateText(summary["statements"].front()["opening"]);
  std::string to = DateText(summary["statements"].back()["closing"]);
  return from == to || to.empty() ? from : fmt::format("{} a {}", from, to);
}

std::string Count(const json& summary, const char* verdict) {
  return summary.is_object() ? std::to_string(summary["movements"][verdict].get<int>()) : "";
}

std::string Destination(const BatchEntry& entry) {
  if (!entry.moved)
    return "";
  return entry.moved->to.empty() ? "ficou: " + entry.moved->reason : entry.moved->to;
}

}  // namespace

bool MoveFailed(const BatchEntry& entry) {
  return entry.moved && entry.moved->to.empty() && entry.result.outcome != RunOutcome::kInterrupted;
}

void AddMove(json& report, const Moved& moved) {
  report["moved_to"] = moved.to.empty() ? json() : json(moved.to);
  if (moved.to.empty())
    report["not_moved"] = moved.reason;
}

int FileStatus(const FileResult& result) {
  return result.already_imported ? kExitSuccess : StatusOf(result.outcome);
}

int BatchStatus(const std::vector<BatchEntry>& entries, bool interrupted) {
  int status = interrupted ? kExitInterrupted : kExitSuccess;
  for (const BatchEntry& entry : entries) {
    status = std::max(status, FileStatus(entry.result));
    if (MoveFailed(entry))
      status = std::max(status, static_cast<int>(kExitError));
  }
  return status;
}

std::string OutcomeLabel(const FileResult& result) {
  if (result.already_imported)
    return "já importado";
  switch (result.outcome) {
    case RunOutcome::kSuccess:
      return "importado";
    case RunOutcome::kAborted:
      return "abandonado";
    case RunOutcome::kNone:
      return "sem mensagem";
    case RunOutcome::kInterrupted:
      return "interrompido";
    case RunOutcome::kUsage:
    case RunOutcome::kError:
      break;
  }
  return "erro";
}

json FileJson(const BatchEntry& entry) {
  const FileResult& result = entry.result;
  json object = ReportJson(result.outcome, result.shown, result.summary);
  object["file"] = result.file;
  object["bank"] = result.bank.empty() ? json() : json(result.bank);
  object["already_imported"] = result.already_imported;
  if (!result.recognised.is_null())
    object["recognised"] = result.recognised;
  if (entry.moved)
    AddMove(object, *entry.moved);
  return object;
}

json BatchJson(const std::vector<BatchEntry>& entries, std::size_t files, bool interrupted) {
  json outcomes = json::object();
  for (const BatchEntry& entry : entries)
    outcomes[OutcomeName(entry.result)] = outcomes.value(OutcomeName(entry.result), 0) + 1;
  std::size_t moves_failed = std::count_if(entries.begin(), entries.end(), MoveFailed);
  return {{"files", files},
          {"done", entries.size()},
          {"outcomes", outcomes},
          {"moves_failed", moves_failed},
          {"interrupted", interrupted},
          {"status", BatchStatus(entries, interrupted)}};
}

std::string BatchTable(const std::vector<BatchEntry>& entries) {
  bool moves = std::any_of(entries.begin(), entries.end(),
                           [](const BatchEntry& entry) { return entry.moved.has_value(); });
  std::vector<ShownColumn> columns = {
      {"ARQUIVO", "", "Arquivo"},     {"BANCO", "", "Banco"},
      {"CONTA", "", "Conta"},         {"PERIODO", "", "Período"},
      {"NOVOS", "", "Novos"},         {"GRAVADOS", "", "Já gravados"},
      {"REPETIDOS", "", "Repetidos"}, {"IGNORADOS", "", "Ignorados"},
      {"RESULTADO", "", "Resultado"}};
  if (moves)
    columns.push_back({"DESTINO", "", "Destino"});
  json packet = {{"fields", json::array()}, {"rows", json::array()}};
  for (const ShownColumn& column : columns)
    packet["fields"].push_back({column.field, "text", 0});
  for (const BatchEntry& entry : entries) {
    const json& summary = entry.result.summary;
    json row = {
        std::filesystem::path(entry.result.file).filename().string(),
        entry.result.bank,
        summary.is_object() && summary["account"].is_string() ? summary["account"] : json(""),
        Period(summary),
        Count(summary, "new"),
        Count(summary, "stored_already"),
        Count(summary, "repeated"),
        Count(summary, "ignored"),
        OutcomeLabel(entry.result)};
    if (moves)
      row.push_back(Destination(entry));
    packet["rows"].push_back(row);
  }
  return TextTable(packet, columns, "Nenhum arquivo de extrato a importar.\n");
}

}  // namespace cli
