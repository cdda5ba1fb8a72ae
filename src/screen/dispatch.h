#ifndef EXTRATO_SCREEN_DISPATCH_H_
#define EXTRATO_SCREEN_DISPATCH_H_

// How a confirmed import picks what reads the file: the table of layouts
// (importers/layouts.h), by the bank's CNAB code.

#include <string>

// The account type code of the screen's choice: "C", "L" or "G"; "C" for any
// text outside the three items.
std::string AccountTypeCode(const std::string& tipo_conta);

#endif  // EXTRATO_SCREEN_DISPATCH_H_
