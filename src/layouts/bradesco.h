#ifndef EXTRATO_LAYOUTS_BRADESCO_H_
#define EXTRATO_LAYOUTS_BRADESCO_H_

// Bradesco statement file: one record of 200 columns per line. Positions are
// 1-based; nothing else is read.
//
//   1        record marker: "1" a statement record; any other line is passed over
//   18-21    agency
//   32-41    account number; a "P" at 41 reads as the check digit 0
//   42       record kind: "0" initial balance, "1" movement, "2" final balance
//   43-45    category
//   50-74    history
//   75-80    document number
//   81-86    date, ddmmyy
//   87-102   amount, integer digits
//   103-104  amount, decimal digits
//   105      debit/credit indicator
//   192-194  bank code (CNAB)

#include <string>
#include <string_view>

#include "layouts/layout.h"

namespace importers {

inline constexpr Columns kBradescoColumns{
    .bank = {192, 3},
    .agency = {18, 4},
    .account = {32, 10},
    .kind = {42, 1},
    .day = {81, 2},
    .month = {83, 2},
    .year = {85, 2},
    .whole = {87, 16},
    .decimals = {103, 2},
    .indicator = {105, 1},
    .document = {75, 6},
    .history = {50, 25},
    .category = {43, 3},
};
inline constexpr RecordKinds kCnab200Kinds{
    .initial_balance = "0", .movement = "1", .final_balance = "2"};

// A 200-column statement record starts with "1"; any other line is passed over.
LineKind MarkedRecordLine(const Layout& layout, std::string_view line);

// The account number of a Bradesco statement line: positions 32 to 41, trimmed;
// when position 41 holds "P", positions 32 to 40 trimmed and followed by "0".
std::string BradescoAccountNumber(std::string_view line);

// That number cut to its last characters as many as the mask has places.
std::string BradescoMaskedAccount(const Layout& layout, std::string_view line,
                                  std::string_view mask);

// The four-digit year of two year digits: before "90" (as text) in the 2000s,
// from "90" on in the 1900s.
std::string BradescoYearText(std::string_view two_digits);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_BRADESCO_H_
