#include "apps/common/balance_line.h"

#include <chrono>

namespace apps {

namespace {

using nlohmann::json;

std::size_t FieldIndex(const json& packet, const std::string& name) {
  const json& fields = packet.at("fields");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i][0] == name)
      return i;
  }
  return fields.size();
}

std::optional<host::Date> DateAt(const json& row, std::size_t i) {
  if (i >= row.size() || !row[i].is_string())
    return std::nullopt;
  return host::Date::FromIso(row[i].get<std::string>());
}

host::Date NextDay(const host::Date& date) {
  return host::Date(
      std::chrono::year_month_day(std::chrono::sys_days(date.ymd()) + std::chrono::days(1)));
}

}  // namespace

BalanceLine::BalanceLine(const json& daily, const json& statements) {
  std::size_t code = FieldIndex(statements, "CDSEQUEXTR");
  std::size_t from = FieldIndex(statements, "DTSALDINIC");
  std::size_t to = FieldIndex(statements, "DTSALDFIN");
  for (const json& row : statements.at("rows")) {
    std::optional<host::Date> start = DateAt(row, from);
    if (!start)
      continue;
    statements_.push_back({row[code].get<std::string>(), *start, DateAt(row, to).value_or(*start)});
  }
  std::size_t date = FieldIndex(daily, "DTSALDO");
  std::size_t balance = FieldIndex(daily, "VRSALDO");
  for (const json& row : daily.at("rows")) {
    std::optional<host::Date> day = DateAt(row, date);
    if (!day || !row[balance].is_number())
      continue;
    BalancePoint point{*day, row[balance].get<double>()};
    if (!segments_.empty() && segments_.back().back().date == *day) {
      segments_.back().back() = point;  // the later statement's balance ends the day
      continue;
    }
    if (segments_.empty() || !Covered(segments_.back().back().date, *day))
      segments_.emplace_back();
    segments_.back().push_back(point);
  }
}

// Whether every day between two days with balances lies in some statement.
bool BalanceLine::Covered(const host::Date& from, const host::Date& to) const {
  for (host::Date day = NextDay(from); day < to; day = NextDay(day)) {
    if (!StatementOn(day))
      return false;
  }
  return true;
}

std::optional<StatementSpan> BalanceLine::StatementOn(const host::Date& date) const {
  std::optional<StatementSpan> found;
  for (const StatementSpan& statement : statements_) {
    if (statement.from <= date && date <= statement.to)
      found = statement;
  }
  return found;
}

}  // namespace apps
