// Conversions and comparisons of field values.
#include "host/field_value.h"

#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/utf8.h"

namespace host {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

[[noreturn]] void ConversionFailed(const FieldValue& value, std::string_view what,
                                   std::string_view field_name) {
  throw EConvertError(
      fmt::format("'{}' não é {} para o campo '{}'.", ValueText(value), what, field_name));
}

FieldValue ToDate(const FieldValue& value, std::string_view field_name) {
  if (const auto* date = std::get_if<Date>(&value))
    return *date;
  if (const auto* text = std::get_if<std::string>(&value)) {
    std::string_view trimmed = TrimBlanks(*text);
    if (trimmed.empty())
      return std::monostate{};
    if (auto date = Date::FromIso(trimmed))
      return *date;
  }
  ConversionFailed(value, "uma data válida (AAAA-MM-DD)", field_name);
}

FieldValue ToFloat(const FieldValue& value, std::string_view field_name) {
  // A NaN or an infinity would travel as null and lose the amount without a word.
  if (const auto* number = std::get_if<double>(&value)) {
    if (std::isfinite(*number))
      return *number;
  }
  if (const auto* text = std::get_if<std::string>(&value)) {
    std::string_view trimmed = TrimBlanks(*text);
    if (trimmed.empty())
      return std::monostate{};
    if (auto number = ParseNumber(trimmed))
      return *number;
  }
  ConversionFailed(value, "um número válido", field_name);
}

std::string_view TextOf(const FieldValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text ? std::string_view(*text) : std::string_view();
}

}  // namespace

std::string ValueText(const FieldValue& value) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(const std::string& text) const { return text; }
    std::string operator()(const Date& date) const { return date.ToIso(); }
    std::string operator()(double number) const { return fmt::format("{}", number); }
  };
  return std::visit(Visitor{}, value);
}

FieldValue ConvertValue(const FieldValue& value, FieldType type, std::string_view field_name) {
  if (std::holds_alternative<std::monostate>(value))
    return value;
  switch (type) {
    case FieldType::kText:
      return ValueText(value);
    case FieldType::kDate:
      return ToDate(value, field_name);
    case FieldType::kFloat:
      return ToFloat(value, field_name);
  }
  return value;
}

std::string SearchKey(const FieldValue& value, FieldType type) {
  if (type == FieldType::kText)
    return Utf8Upper(TextOf(value));
  if (const auto* number = std::get_if<double>(&value)) {
    // Amounts carry two decimals; cents ignore binary noise such as 0.1 + 0.2, and
    // adding 0.0 makes -0 the same key as 0.
    return fmt::format("{}", std::round(*number * 100) + 0.0);
  }
  if (const auto* date = std::get_if<Date>(&value))
    return date->ToIso();
  return "\x01";  // a null date or amount matches only null
}

}  // namespace host
