#ifndef EXTRATO_LAYOUTS_CNAB240_H_
#define EXTRATO_LAYOUTS_CNAB240_H_

// What the 240-column layouts share: the record structure, the columns, the check
// of a batch header, the debit/credit fallback and the account width chosen by the
// bank's account mask. Each 240-column layout states only where it departs.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "layouts/layout.h"

namespace importers {

// One record of 240 columns per line. Positions are 1-based; nothing else is read.
//
//   1-3      bank code (CNAB)
//   8        record kind: "0" file header, "1" batch header (initial balance),
//            "3" detail (movement), "5" batch trailer (final balance), "9" file trailer
//   9        operation of a batch header: "E", a statement
//   54-57    agency
//   59-70    account number, followed by one (71) or two (72) check characters when
//            the bank's account mask has them
//   143-150  date, ddmmyyyy
//   151-166  amount, integer digits
//   167-168  amount, decimal digits
//   169      debit/credit indicator; when blank, the category's first digit tells:
//            "1" debit, "2" credit
//   170-172  category
//   177-201  history
//   202-221  document number
inline constexpr Columns kCnab240Columns{
    .bank = {1, 3},
    .agency = {54, 4},
    .account = {59, 14},
    .kind = {8, 1},
    .day = {143, 2},
    .month = {145, 2},
    .year = {147, 4},
    .whole = {151, 16},
    .decimals = {167, 2},
    .indicator = {169, 1},
    .document = {202, 20},
    .history = {177, 25},
    .category = {170, 3},
};
inline constexpr RecordKinds kCnab240Kinds{
    .initial_balance = "1", .movement = "3", .final_balance = "5"};

// The file header ("0") and trailer ("9") are no statement records.
bool IsFileRecord(const Layout& layout, std::string_view line);
LineKind Cnab240Line(const Layout& layout, std::string_view line);

// A batch header must be a statement's (operation "E"), and while an account is
// resolved it must name that account: a batch of another one would be booked to it.
std::optional<std::string> CheckBatchHeader(std::string_view line, std::string_view resolving);

// The indicator; when blank, "D" for a category starting with "1" and "C" for one
// starting with "2"; otherwise none, and the record is passed over.
std::optional<std::string> IndicatorOrCategory(const Layout& layout, std::string_view line);

// How many columns from 59 hold the account number, by the bank's account mask:
// 12 without "-", 13 with at most one check place after the first "-", 14 with two
// or more.
std::size_t AccountWidth(std::string_view mask);

// Those columns trimmed, cut to their last characters as many as the mask has places.
std::string MaskWidthAccount(const Layout& layout, std::string_view line, std::string_view mask);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_CNAB240_H_
