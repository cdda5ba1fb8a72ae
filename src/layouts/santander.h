#ifndef EXTRATO_LAYOUTS_SANTANDER_H_
#define EXTRATO_LAYOUTS_SANTANDER_H_

// Santander statement file: the records of cnab240.h, read as the Real layout
// reads them, but for the agency: the last four characters of columns 53-57, as
// written, blanks included.

#include <string>
#include <string_view>

#include "layouts/layout.h"

namespace importers {

std::string SantanderAgency(const Layout& layout, std::string_view line);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_SANTANDER_H_
