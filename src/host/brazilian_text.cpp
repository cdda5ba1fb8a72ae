#include "host/brazilian_text.h"

#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

namespace host {

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

std::string BrazilianDate(const Date& date) {
  return fmt::format("{:02}/{:02}/{:04}", date.day(), date.month(), date.year());
}

}  // namespace host
