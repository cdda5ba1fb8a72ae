#include "layouts/conversions.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/routines.h"
#include "host/stored_range.h"
#include "host/visible_text.h"

namespace importers {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::optional<std::uint64_t> Digits(std::string_view text) {
  if (!AllDigits(text))
    return std::nullopt;
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

// Integer digits of the largest amount the database stores.
constexpr int WholeDigits(long long value) {
  return value < 10 ? 1 : 1 + WholeDigits(value / 10);
}
constexpr int kMaxWholeDigits = WholeDigits(host::kMaxCents / 100);

// Leading zeros carry no digit of the value.
std::size_t SignificantDigits(std::string_view digits) {
  std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? 0 : digits.size() - first;
}

const char* PartName(DatePart part) {
  switch (part) {
    case DatePart::kDay:
      return "o dia";
    case DatePart::kMonth:
      return "o mês";
    case DatePart::kYear:
      return "o ano";
  }
  return "";
}

}  // namespace

std::uint16_t ToDatePart(std::string_view text, DatePart part, std::size_t line) {
  std::optional<std::uint64_t> value = Digits(WithoutLeadingBlanks(text));
  if (!value || *value > std::numeric_limits<std::uint16_t>::max()) {
    throw host::EConvertError(fmt::format("Linha {}: '{}' não é um valor válido para {}.", line,
                                          host::VisibleText(text), PartName(part)));
  }
  return static_cast<std::uint16_t>(*value);
}

host::Date ToDate(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                  std::string_view as_read, std::size_t line) {
  std::optional<host::Date> date = host::Date::FromParts(year, month, day);
  if (!date) {
    throw host::EConvertError(
        fmt::format("Linha {}: '{}' não é uma data válida.", line, host::VisibleText(as_read)));
  }
  if (!host::IsStorableDate(*date)) {
    throw host::EConvertError(
        fmt::format("Linha {}: a data '{}' está fora do intervalo aceito (anos de {} a {}).", line,
                    host::VisibleText(as_read), host::kFirstStoredYear, host::kLastStoredYear));
  }
  return *date;
}

double ToAmount(std::string_view whole, std::string_view decimals, std::size_t line) {
  std::string_view integer = WithoutLeadingBlanks(whole);
  // Made only for an error: amounts are read once per line.
  auto as_read = [&] { return host::VisibleText(fmt::format("{},{}", whole, decimals)); };
  double value = 0;
  if (AllDigits(integer) && AllDigits(decimals)) {
    if (SignificantDigits(integer) > static_cast<std::size_t>(kMaxWholeDigits)) {
      throw host::EConvertError(fmt::format(
          "Linha {}: o valor '{}' está fora do intervalo aceito (no máximo {} dígitos inteiros).",
          line, as_read(), kMaxWholeDigits));
    }
    std::string text = fmt::format("{}.{}", integer, decimals);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size())
      return value;
  }
  throw host::EConvertError(
      fmt::format("Linha {}: '{}' não é um valor monetário válido.", line, as_read()));
}

long long ToNumberOrZero(std::string_view text) {
  std::optional<std::uint64_t> value = Digits(host::AllTrim(text));
  if (!value || *value > static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) {
    return 0;
  }
  return static_cast<long long>(*value);
}

}  // namespace importers
