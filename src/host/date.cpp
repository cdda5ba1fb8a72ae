#include "host/date.h"

#include <charconv>

#include <fmt/format.h>

namespace host {

Date::Date(int year, int month, int day)
    : ymd_(std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
           std::chrono::day{static_cast<unsigned>(day)}) {}

std::optional<Date> Date::FromParts(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31)
    return std::nullopt;
  Date date(year, month, day);
  if (!date.ymd_.ok())
    return std::nullopt;
  return date;
}

static std::optional<int> ParseDigits(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::optional<Date> Date::FromIso(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-')
    return std::nullopt;
  auto year = ParseDigits(text.substr(0, 4));
  auto month = ParseDigits(text.substr(5, 2));
  auto day = ParseDigits(text.substr(8, 2));
  if (!year || !month || !day)
    return std::nullopt;
  return FromParts(*year, *month, *day);
}

std::string Date::ToIso() const {
  int y = year(), m = month(), d = day();
  if (y < 0 || y > 9999)
    return fmt::format("{:04}-{:02}-{:02}", y, m, d);
  // Digit by digit: every movement's date is written this way, several times.
  std::string text = "0000-00-00";
  for (std::size_t i = 0; i < 4; ++i, y /= 10)
    text[3 - i] = static_cast<char>('0' + y % 10);
  text[5] = static_cast<char>('0' + m / 10);
  text[6] = static_cast<char>('0' + m % 10);
  text[8] = static_cast<char>('0' + d / 10);
  text[9] = static_cast<char>('0' + d % 10);
  return text;
}

}  // namespace host
