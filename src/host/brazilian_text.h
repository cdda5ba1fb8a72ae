#ifndef EXTRATO_HOST_BRAZILIAN_TEXT_H_
#define EXTRATO_HOST_BRAZILIAN_TEXT_H_

// Amounts and dates as people in Brazil write them.

#include <string>

#include "host/date.h"

namespace host {

// Rounded to the cent, with a decimal comma: "-1.234,56", or "-1234,56" without
// the thousands' dots (for files that spreadsheets read as numbers).
std::string BrazilianAmount(double amount, bool thousands = true);
// The amount in cents, nearest.
long long ToCents(double amount);
// "28/01/2024".
std::string BrazilianDate(const Date& date);

}  // namespace host

#endif  // EXTRATO_HOST_BRAZILIAN_TEXT_H_
