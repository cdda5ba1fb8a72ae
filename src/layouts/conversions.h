#ifndef EXTRATO_LAYOUTS_CONVERSIONS_H_
#define EXTRATO_LAYOUTS_CONVERSIONS_H_

// Numbers and dates read from statement lines. A value that does not convert
// raises host::EConvertError naming the line, the field and the text as read.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/date.h"

namespace importers {

// Which part of a date a text holds, for the error that names it.
enum class DatePart { kDay, kMonth, kYear };

// Decimal digits, leading blanks allowed.
std::uint16_t ToDatePart(std::string_view text, DatePart part, std::size_t line);

// The calendar date; the texts as read go into the error of an impossible date.
host::Date ToDate(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                  std::string_view as_read, std::size_t line);

// The integer digits (leading blanks allowed) and the decimal digits of an
// amount, read the same whatever the machine's locale.
double ToAmount(std::string_view whole, std::string_view decimals, std::size_t line);

// Whole number of a text that may not hold one: a movement number read back
// from a record set. Anything but digits (blanks around them allowed) counts as 0.
long long ToNumberOrZero(std::string_view text);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_CONVERSIONS_H_
