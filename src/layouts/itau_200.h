#ifndef EXTRATO_LAYOUTS_ITAU_200_H_
#define EXTRATO_LAYOUTS_ITAU_200_H_

// Itaú statement file of 200 columns: Bradesco's records (bradesco.h), with the
// agency, the account and the date elsewhere. Positions are 1-based.
//
//   28-31    agency
//   36-41    account number with its check digit
//   182-189  date, ddmmyyyy

#include <string>
#include <string_view>

#include "layouts/bradesco.h"

namespace importers {

inline constexpr Columns kItau200Columns = [] {
  Columns columns = kBradescoColumns;
  columns.agency = {28, 4};
  columns.account = {36, 6};
  columns.day = {182, 2};
  columns.month = {184, 2};
  columns.year = {186, 4};
  return columns;
}();

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_ITAU_200_H_
