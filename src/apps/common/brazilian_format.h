#ifndef EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_
#define EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_

// Dates and amounts as Brazilian users read and type them.

#include <optional>
#include <string>
#include <string_view>

#include "host/date.h"

namespace apps {

// "28/01/2024".
std::string BrazilianDate(const host::Date& date);
// "dd/mm/aaaa" or "aaaa-mm-dd"; nothing for anything else or a day that does not exist.
std::optional<host::Date> ReadDate(std::string_view text);

// A moment the server keeps in UTC ("2024-01-28 13:05:00"), in this machine's time
// zone: "28/01/2024 10:05" for people, "2024-01-28T10:05:00-03:00" for programs.
// Anything else is answered as given.
std::string LocalDateTime(std::string_view utc);
std::string IsoDateTime(std::string_view utc);

// Rounded to the cent, with a decimal comma: "-1.234,56", or "-1234,56" without
// the thousands' dots (for files that spreadsheets read as numbers).
std::string BrazilianAmount(double amount, bool thousands = true);
// The amount in cents, nearest.
long long ToCents(double amount);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_
