#include "apps/common/brazilian_format.h"

#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

namespace apps {

std::string BrazilianDate(const host::Date& date) {
  return fmt::format("{:02}/{:02}/{:04}", date.day(), date.month(), date.year());
}

std::optional<host::Date> ReadDate(std::string_view text) {
  if (text.size() != 10)
    return std::nullopt;
  if (text[2] == '/' && text[5] == '/') {
    std::string iso =
        fmt::format("{}-{}-{}", text.substr(6, 4), text.substr(3, 2), text.substr(0, 2));
    return host::Date::FromIso(iso);
  }
  return host::Date::FromIso(text);
}

long long ToCents(double amount) {
  return std::llround(amount * 100.0);
}

std::string BrazilianAmount(double amount, bool thousands) {
  long long cents = ToCents(amount);
  std::string digits = std::to_string(std::llabs(cents) / 100);
  std::string units;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (thousands && i > 0 && (digits.size() - i) % 3 == 0)
      units += '.';
    units += digits[i];
  }
  return fmt::format("{}{},{:02}", cents < 0 ? "-" : "", units, std::llabs(cents) % 100);
}

}  // namespace apps
