#include "server/sql_value.h"

#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

#include "host/stored_range.h"

namespace server {

std::optional<long long> AmountToCents(double amount) {
  if (!std::isfinite(amount))
    return std::nullopt;
  double cents = std::round(amount * 100.0);
  if (std::fabs(cents) > static_cast<double>(host::kMaxCents))
    return std::nullopt;
  return static_cast<long long>(cents);
}

std::string CentsToText(long long cents) {
  long long whole = std::llabs(cents);
  return fmt::format("{}{}.{:02}", cents < 0 ? "-" : "", whole / 100, whole % 100);
}

SqlValue TextValue(std::string text) {
  return {std::move(text)};
}

SqlValue ToSqlValue(const host::FieldValue& value) {
  struct Visitor {
    SqlValue operator()(std::monostate) const { return {"", soci::i_null}; }
    SqlValue operator()(const std::string& text) const { return {text}; }
    SqlValue operator()(const host::Date& date) const { return {date.ToIso()}; }
    SqlValue operator()(double amount) const {
      auto cents = AmountToCents(amount);
      return {cents ? CentsToText(*cents) : fmt::format("{}", amount)};
    }
  };
  return std::visit(Visitor{}, value);
}

}  // namespace server
