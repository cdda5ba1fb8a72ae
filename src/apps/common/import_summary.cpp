#include "apps/common/import_summary.h"

#include <cmath>

#include <fmt/format.h>

#include "apps/common/brazilian_format.h"
#include "apps/common/continuity.h"
#include "host/routines.h"
#include "host/visible_text.h"

namespace apps {

namespace {

using nlohmann::json;

double Signed(const importers::RunObserver::Balance& balance) {
  return balance.indicator == "D" ? -balance.amount : balance.amount;
}

json BalanceJson(const std::optional<importers::RunObserver::Balance>& balance) {
  if (!balance)
    return nullptr;
  return {{"date", balance->date.ToIso()},
          {"amount", balance->amount},
          {"indicator", balance->indicator}};
}

std::string BrazilianDate(const std::string& iso) {
  return iso.size() == 10 ? iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4)
                          : iso;
}

std::string BalanceText(const json& balance) {
  if (balance.is_null())
    return "não lido";
  // The indicator is the file's character, whatever it holds.
  return fmt::format("{} {} em {}", BrazilianAmount(balance["amount"].get<double>()),
                     host::VisibleText(balance["indicator"].get<std::string>()),
                     BrazilianDate(balance["date"].get<std::string>()));
}

// "; saldo confere", or the difference; nothing when the balances were not checked.
std::string BalanceCheckText(const json& statement) {
  const json& balanced = statement["balanced"];
  if (!balanced.is_boolean())
    return "";
  if (balanced.get<bool>())
    return "; saldo confere";
  return fmt::format("; saldo não confere (diferença de {})",
                     BrazilianAmount(statement["difference"].get<double>()));
}

}  // namespace

void ImportSummary::OnMovement(std::size_t line, const MovementRead& read, Movement verdict) {
  const char* name = "new";
  switch (verdict) {
    case Movement::kNew:
      ++new_;
      break;
    case Movement::kStored:
      ++stored_;
      name = "stored_already";
      break;
    case Movement::kRepeated:
      ++repeated_;
      name = "repeated";
      break;
  }
  // The file's texts may hold any byte; the report holds only what can be shown.
  if (keep_lines_) {
    lines_.push_back({{"line", line},
                      {"verdict", name},
                      {"date", read.date.ToIso()},
                      {"document", host::VisibleText(host::AllTrim(read.document))},
                      {"history", host::VisibleText(host::AllTrim(read.history))},
                      {"amount", read.amount},
                      {"indicator", host::VisibleText(read.direction)}});
  }
}

void ImportSummary::OnIgnored(std::size_t line) {
  ++ignored_;
  if (keep_lines_)
    lines_.push_back({{"line", line}, {"verdict", "ignored"}});
}

ImportSummary::Statement& ImportSummary::Current(const Balance& balance) {
  if (statements_.empty() || statements_.back().account != balance.account ||
      statements_.back().code != balance.code) {
    statements_.push_back({balance.account, balance.code, std::nullopt, std::nullopt});
  }
  return statements_.back();
}

void ImportSummary::OnInitialBalance(std::size_t, const Balance& balance, bool) {
  Current(balance).opening = balance;
}

void ImportSummary::OnFinalBalance(std::size_t, const Balance& balance) {
  Current(balance).closing = balance;
}

void ImportSummary::OnRestart(const std::string& reason) {
  Clear();
  if (tell_restart_)
    tell_restart_(reason);
}

bool ImportSummary::Empty() const {
  return statements_.empty() && new_ + stored_ + repeated_ + ignored_ == 0;
}

ImportSummary::Submitted ImportSummary::SubmittedTo(const Statement& statement) const {
  for (const Submitted& submitted : submitted_) {
    if (submitted.account == statement.account && submitted.code == statement.code)
      return submitted;
  }
  return {statement.account, statement.code};
}

json ImportSummary::ToJson(const Call& call, bool succeeded) const {
  bool stored = succeeded && !start_.preview;
  json statements = json::array();
  json warnings = json::array();
  double stored_credits = 0;
  double stored_debits = 0;
  for (const Statement& statement : statements_) {
    json sums = call("GetResumoExtrato", {statement.account, statement.code});
    if (start_.preview) {
      Submitted pending = SubmittedTo(statement);
      sums["credits"] = sums["credits"].get<double>() + pending.credits;
      sums["debits"] = sums["debits"].get<double>() + pending.debits;
    }
    json entry = {{"code", statement.code},
                  {"opening", BalanceJson(statement.opening)},
                  {"closing", BalanceJson(statement.closing)},
                  {"credits", sums["credits"]},
                  {"debits", sums["debits"]},
                  {"balanced", nullptr}};
    if (stored && new_ > 0) {
      stored_credits += sums["stored_credits"].get<double>();
      stored_debits += sums["stored_debits"].get<double>();
    }
    // What a refused or abandoned run left unstored has no balance to check.
    if (succeeded && statement.opening && statement.closing) {
      double expected =
          Signed(*statement.opening) + sums["credits"].get<double>() - sums["debits"].get<double>();
      bool balanced = ToCents(expected) == ToCents(Signed(*statement.closing));
      entry["balanced"] = balanced;
      if (!balanced) {
        entry["difference"] = Signed(*statement.closing) - expected;
        warnings.push_back(fmt::format(
            "No extrato {}, saldo inicial + créditos - débitos = {}, mas o saldo final lido é {}.",
            statement.code, BrazilianAmount(expected),
            BrazilianAmount(Signed(*statement.closing))));
      }
    }
    entry["continuity"] = ContinuityJson(
        call, statement.account,
        {statement.code, Dated(statement.opening), Dated(statement.closing)}, warnings);
    statements.push_back(entry);
  }
  json summary = {{"account", statements_.empty() ? json() : json(statements_.front().account)},
                  {"statements", statements},
                  {"movements",
                   {{"new", new_},
                    {"stored_already", stored_},
                    {"repeated", repeated_},
                    {"ignored", ignored_}}},
                  {"stored", stored},
                  {"stored_credits", stored_credits},
                  {"stored_debits", stored_debits},
                  {"warnings", warnings}};
  if (keep_lines_)
    summary["lines"] = lines_;
  return summary;
}

std::string VerdictText(const std::string& verdict) {
  if (verdict == "new")
    return "novo";
  if (verdict == "stored_already")
    return "já gravado antes";
  return verdict == "repeated" ? "repetido no arquivo" : "ignorado";
}

namespace {

// "Linha 12: 03/02/2025 doc 123 \"PIX RECEBIDO\" 1.234,56 C: novo"; an ignored line
// has only its verdict.
std::string LineText(const json& line) {
  std::string verdict = VerdictText(line["verdict"].get<std::string>());
  if (!line.contains("date"))
    return fmt::format("Linha {}: {}\n", line["line"].get<std::size_t>(), verdict);
  return fmt::format("Linha {}: {} doc {} \"{}\" {} {}: {}\n", line["line"].get<std::size_t>(),
                     BrazilianDate(line["date"].get<std::string>()),
                     line["document"].get<std::string>(), line["history"].get<std::string>(),
                     BrazilianAmount(line["amount"].get<double>()),
                     line["indicator"].get<std::string>(), verdict);
}

}  // namespace

std::string SummaryText(const json& summary) {
  std::string text;
  for (const json& line : summary.value("lines", json::array()))
    text += LineText(line);
  text += fmt::format("Conta corrente: {}\n", summary["account"].is_null()
                                                  ? "não resolvida"
                                                  : summary["account"].get<std::string>());
  for (const json& statement : summary["statements"]) {
    text += fmt::format("Extrato {}: saldo inicial {}; saldo final {}{}\n",
                        statement["code"].get<std::string>(), BalanceText(statement["opening"]),
                        BalanceText(statement["closing"]), BalanceCheckText(statement));
  }
  const json& movements = summary["movements"];
  text += fmt::format(
      "Movimentos: {} novos{}, {} já gravados antes, {} repetidos no arquivo, {} ignorados\n",
      movements["new"].get<int>(),
      summary["stored"].get<bool>() ? " (gravados)" : " (não gravados)",
      movements["stored_already"].get<int>(), movements["repeated"].get<int>(),
      movements["ignored"].get<int>());
  text += fmt::format("Gravados: créditos {}, débitos {}\n",
                      BrazilianAmount(summary["stored_credits"].get<double>()),
                      BrazilianAmount(summary["stored_debits"].get<double>()));
  return text;
}

}  // namespace apps
