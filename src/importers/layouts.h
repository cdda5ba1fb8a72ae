#ifndef EXTRATO_IMPORTERS_LAYOUTS_H_
#define EXTRATO_IMPORTERS_LAYOUTS_H_

// The statement layouts this screen reads, one row each. The dispatch picks a row
// by the bank's CNAB code; the generator, the benchmark and the tests walk them.

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "importers/layout.h"

namespace importers {

std::span<const Layout> Layouts();

// The row of that short name; null when there is none.
const Layout* FindLayout(std::string_view name);

// The layout of a bank by its CNAB code, compared as exact text; a code of no row
// (an empty one included) reads the row without codes. When the code's rows are
// told apart by the company's layout, `company_layout` is asked once, and a code it
// answers that no row names reads nothing: null.
const Layout* LayoutOfBank(const std::string& cnab,
                           const std::function<std::string()>& company_layout);

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_LAYOUTS_H_
