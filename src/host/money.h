#ifndef EXTRATO_HOST_MONEY_H_
#define EXTRATO_HOST_MONEY_H_

// Amounts as people in Brazil write them.

#include <string>

namespace host {

// Rounded to the cent, with a decimal comma: "-1.234,56", or "-1234,56" without
// the thousands' dots (for files that spreadsheets read as numbers).
std::string BrazilianAmount(double amount, bool thousands = true);
// The amount in cents, nearest.
long long ToCents(double amount);

}  // namespace host

#endif  // EXTRATO_HOST_MONEY_H_
