#ifndef EXTRATO_LAYOUTS_LAYOUTS_H_
#define EXTRATO_LAYOUTS_LAYOUTS_H_

// The statement layouts this screen reads, one row each. The dispatch picks a row
// by the bank's CNAB code; the generator, the demonstration data, the front ends and
// the tests walk them.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layout.h"

namespace importers {

// What the rows of each family share, with the defaults of Layout; each row of the
// table starts from one and states only where it departs.
Layout Cnab200();
Layout Cnab240();

// Rows keep their place while others are added.
const std::deque<Layout>& Layouts();

// Adds a row after the others, for a bank the table does not know (tests do); a
// row of the same name is replaced. RemoveLayout takes an added row out again.
void AddLayout(Layout row);
void RemoveLayout(std::string_view name);

// The row of that short name; null when there is none.
const Layout* FindLayout(std::string_view name);

// The layout of a bank by its CNAB code, compared as exact text; a code of no row
// (an empty one included) reads the row without codes. When the code's rows are
// told apart by the company's layout, `company_layout` is asked once, and a code it
// answers that no row names reads nothing: null.
const Layout* LayoutOfBank(const std::string& cnab,
                           const std::function<std::string()>& company_layout);

// The rows a bank of that CNAB code may be read with: several when the company
// chooses among them.
std::vector<const Layout*> LayoutsOfBank(const std::string& cnab);

// The CNAB codes of the banks whose layout the company chooses, in the table's order.
std::vector<std::string> CnabCodesOfCompanyLayouts();

// The bank's name in a row's caption: what comes before its first comma.
std::string_view BankOfCaption(const Layout& layout);

// The codes a company may choose a layout by, in the table's order, without the
// empty one.
std::vector<std::string> CompanyLayoutCodes();

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_LAYOUTS_H_
