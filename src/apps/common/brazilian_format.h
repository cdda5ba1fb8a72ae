#ifndef EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_
#define EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_

// Dates and amounts as Brazilian users read and type them.

#include <optional>
#include <string>
#include <string_view>

#include "host/brazilian_text.h"
#include "host/date.h"

namespace apps {

// "dd/mm/aaaa" or "aaaa-mm-dd"; nothing for anything else or a day that does not exist.
std::optional<host::Date> ReadDate(std::string_view text);

// A moment the server keeps in UTC ("2024-01-28 13:05:00"), in this machine's time
// zone: "28/01/2024 10:05" for people, "2024-01-28T10:05:00-03:00" for programs.
// Anything else is answered as given.
std::string LocalDateTime(std::string_view utc);
std::string IsoDateTime(std::string_view utc);

using host::BrazilianAmount;
using host::BrazilianDate;
using host::ToCents;

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_BRAZILIAN_FORMAT_H_
