#ifndef EXTRATO_IMPORTERS_BRADESCO_H_
#define EXTRATO_IMPORTERS_BRADESCO_H_

#include <string>
#include <string_view>

namespace importers {

// The account number of a Bradesco statement line: positions 32 to 41, trimmed;
// when position 41 holds "P", positions 32 to 40 trimmed and followed by "0".
std::string BradescoAccountNumber(std::string_view line);

// The four-digit year of two year digits: before "90" (as text) in the 2000s,
// from "90" on in the 1900s.
std::string BradescoYearText(std::string_view two_digits);

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_BRADESCO_H_
