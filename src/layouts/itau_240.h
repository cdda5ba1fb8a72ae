#ifndef EXTRATO_LAYOUTS_ITAU_240_H_
#define EXTRATO_LAYOUTS_ITAU_240_H_

// Itaú statement file of 240 columns: the records of cnab240.h, with the account
// and the document elsewhere. Positions are 1-based.
//
//   66-70    account number
//   72       its check digit
//   235-240  document number; blank, it reads as twenty "0"

#include <string>
#include <string_view>

#include "layouts/cnab240.h"

namespace importers {

inline constexpr Columns kItau240Columns = [] {
  Columns columns = kCnab240Columns;
  columns.account = {66, 7};
  columns.document = {235, 6};
  return columns;
}();

// The account number followed by its check digit, each trimmed, fitted by Ajusta
// to as many characters as the mask has places; the mask's check part plays no role.
std::string Itau240Account(const Layout& layout, std::string_view line, std::string_view mask);

std::string Itau240Document(std::string_view as_written);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_ITAU_240_H_
