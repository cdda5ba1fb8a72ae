#ifndef EXTRATO_SCREEN_DISPATCH_H_
#define EXTRATO_SCREEN_DISPATCH_H_

// How a confirmed import picks what reads the file.

#include <functional>
#include <string>

// The statement layouts, one importer each.
enum class StatementLayout { kBradesco, kReal, kItau200, kItau240, kSantander, kFebraban, kNone };

// The layout of a bank by its CNAB code, compared as exact text; any code
// outside the known ones (an empty one included) reads the FEBRABAN standard.
// Only "341" asks `itau_layout` for the layout the server holds for the
// company: empty or "200", "240", and anything else reads nothing.
StatementLayout LayoutOfBank(const std::string& cnab,
                             const std::function<std::string()>& itau_layout);

// The account type code of the screen's choice: "C", "L" or "G"; "C" for any
// text outside the three items.
std::string AccountTypeCode(const std::string& tipo_conta);

#endif  // EXTRATO_SCREEN_DISPATCH_H_
