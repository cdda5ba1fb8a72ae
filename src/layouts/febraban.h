#ifndef EXTRATO_LAYOUTS_FEBRABAN_H_
#define EXTRATO_LAYOUTS_FEBRABAN_H_

// FEBRABAN standard statement file: the 240-column records of cnab240.h, read
// as they are. What this layout does its own way: the file header and trailer end
// the account, and stored and repeated movements are put to the user.

#include <string_view>

#include "layouts/layout.h"

namespace importers {

LineKind FebrabanLine(const Layout& layout, std::string_view line);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_FEBRABAN_H_
