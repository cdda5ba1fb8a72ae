#include "apps/common/continuity.h"

#include <chrono>
#include <cmath>

#include <fmt/format.h>

#include "apps/common/brazilian_format.h"

namespace apps {

namespace {

using nlohmann::json;
namespace chrono = std::chrono;

// Looked back first, before the account's whole history.
constexpr int kRecentDays = 45;
// Days named one by one in a warning; more are told as a range.
constexpr std::size_t kDaysNamed = 3;

chrono::sys_days Days(const host::Date& date) {
  return chrono::sys_days(date.ymd());
}

host::Date FromDays(chrono::sys_days days) {
  return host::Date(chrono::year_month_day(days));
}

bool Weekend(const host::Date& date) {
  chrono::weekday day(Days(date));
  return day == chrono::Saturday || day == chrono::Sunday;
}

long long SignedCents(const DatedBalance& balance) {
  long long cents = std::llround(balance.amount * 100);
  return balance.indicator == "D" ? -cents : cents;
}

// dd/mm, with the year when it is not the current statement's.
std::string DayText(const host::Date& date, const host::Date& current) {
  return date.year() == current.year()
             ? fmt::format("{:02}/{:02}", date.day(), date.month())
             : fmt::format("{:02}/{:02}/{}", date.day(), date.month(), date.year());
}

std::string BalanceText(const DatedBalance& balance) {
  return fmt::format("{} {}", BrazilianAmount(balance.amount), balance.indicator);
}

// The last day the previous statement covers.
host::Date LastDay(const StatementEnds& statement) {
  return statement.closing ? statement.closing->date : statement.opening->date;
}

bool DatesFallOnWeekends(const StatementEnds& previous, const StatementEnds& current) {
  for (const StatementEnds* statement : {&previous, &current}) {
    for (const auto* balance : {&statement->opening, &statement->closing}) {
      if (*balance && Weekend((*balance)->date))
        return true;
    }
  }
  return false;
}

std::string MissingDaysText(const std::vector<host::Date>& days, const StatementEnds& previous,
                            const host::Date& current) {
  std::vector<std::string> named;
  if (days.size() <= kDaysNamed) {
    for (const host::Date& day : days)
      named.push_back(DayText(day, current));
  }
  std::string which = days.size() <= kDaysNamed ? fmt::format("{}", fmt::join(named, ", "))
                                                : fmt::format("{} dias, de {} a {}", days.size(),
                                                              DayText(days.front(), current),
                                                              DayText(days.back(), current));
  return fmt::format(
      "Sem extrato em {}, entre o extrato anterior, até {}, e este, de {}: falta algum arquivo?",
      which, DayText(LastDay(previous), current), DayText(current, current));
}

std::optional<DatedBalance> BalanceOf(const json& date, const json& amount, const json& indicator) {
  if (!date.is_string() || !amount.is_number())
    return std::nullopt;
  std::optional<host::Date> day = host::Date::FromIso(date.get<std::string>());
  if (!day)
    return std::nullopt;
  return DatedBalance{*day, amount.get<double>(),
                      indicator.is_string() ? indicator.get<std::string>() : ""};
}

// A row of GetExtratosConta: CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, IDEXTRINI,
// VRSALDFIM, IDEXTRFIM, ...
StatementEnds FromRow(const json& row) {
  return {row[0].is_string() ? row[0].get<std::string>() : "", BalanceOf(row[1], row[3], row[4]),
          BalanceOf(row[2], row[5], row[6])};
}

json BalanceJson(const std::optional<DatedBalance>& balance) {
  if (!balance)
    return nullptr;
  return {{"date", balance->date.ToIso()},
          {"amount", balance->amount},
          {"indicator", balance->indicator}};
}

}  // namespace

json Continuity::ToJson() const {
  json days = json::array();
  for (const host::Date& day : missing_days)
    days.push_back(day.ToIso());
  return {{"previous",
           previous ? json{{"code", previous->code}, {"closing", BalanceJson(previous->closing)}}
                    : json()},
          {"balance_follows", balance_follows},
          {"missing_days", days}};
}

std::string Continuity::Mark() const {
  std::vector<std::string> marks;
  if (!balance_follows)
    marks.emplace_back("saldo");
  if (!missing_days.empty()) {
    marks.push_back(
        fmt::format("{} {}", missing_days.size(), missing_days.size() == 1 ? "dia" : "dias"));
  }
  return fmt::format("{}", fmt::join(marks, "; "));
}

Continuity CompareWithPrevious(const StatementEnds& previous, const StatementEnds& current) {
  Continuity continuity;
  continuity.previous = previous;
  if (!previous.opening || !current.opening)
    return continuity;
  const DatedBalance& opening = *current.opening;
  // Statements that overlap tell nothing of each other's ends.
  if (LastDay(previous) > opening.date)
    return continuity;
  if (previous.closing && SignedCents(*previous.closing) != SignedCents(opening)) {
    continuity.balance_follows = false;
    continuity.warnings.push_back(fmt::format(
        "Saldo inicial {} em {} difere do saldo final {} do extrato anterior, em {}: falta "
        "algum arquivo?",
        BalanceText(opening), DayText(opening.date, opening.date), BalanceText(*previous.closing),
        DayText(previous.closing->date, opening.date)));
  }
  bool every_day = DatesFallOnWeekends(previous, current);
  for (auto day = Days(LastDay(previous)) + chrono::days(1); day < Days(opening.date);
       day += chrono::days(1)) {
    if (every_day || !Weekend(FromDays(day)))
      continuity.missing_days.push_back(FromDays(day));
  }
  if (!continuity.missing_days.empty()) {
    continuity.warnings.push_back(MissingDaysText(continuity.missing_days, previous, opening.date));
  }
  return continuity;
}

std::optional<StatementEnds> PreviousStatement(const ServerCall& call, const std::string& account,
                                               const std::string& code, const host::Date& opening) {
  std::string before = FromDays(Days(opening) - chrono::days(1)).ToIso();
  std::string recent = FromDays(Days(opening) - chrono::days(kRecentDays)).ToIso();
  for (const std::string& from : {recent, std::string("1900-01-01")}) {
    json rows = call("GetExtratosConta", {account, from, before}).value("rows", json::array());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
      StatementEnds statement = FromRow(*row);
      if (statement.code != code && statement.opening && statement.opening->date < opening)
        return statement;
    }
  }
  return std::nullopt;
}

std::optional<DatedBalance> Dated(const std::optional<importers::RunObserver::Balance>& balance) {
  if (!balance)
    return std::nullopt;
  return DatedBalance{balance->date, balance->amount, balance->indicator};
}

json ContinuityJson(const ServerCall& call, const std::string& account,
                    const StatementEnds& current, json& warnings) {
  if (!current.opening)
    return nullptr;
  try {
    std::optional<StatementEnds> previous =
        PreviousStatement(call, account, current.code, current.opening->date);
    Continuity continuity = previous ? CompareWithPrevious(*previous, current) : Continuity{};
    for (const std::string& warning : continuity.warnings)
      warnings.push_back(warning);
    return continuity.ToJson();
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::vector<Continuity> ListingContinuity(const json& packet) {
  std::vector<Continuity> listed;
  const json& rows = packet.value("rows", json::array());
  for (std::size_t i = 0; i < rows.size(); ++i)
    listed.push_back(i == 0 ? Continuity{}
                            : CompareWithPrevious(FromRow(rows[i - 1]), FromRow(rows[i])));
  return listed;
}

}  // namespace apps
