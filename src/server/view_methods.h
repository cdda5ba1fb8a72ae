// What was imported, read back for people: an account's statements in a period,
// their movements a page at a time, and the balance at the end of each day.
#ifndef EXTRATO_SERVER_VIEW_METHODS_H_
#define EXTRATO_SERVER_VIEW_METHODS_H_

#include <vector>

#include "server/methods.h"

namespace server {

// The most movements one page of GetMovimentosConta carries.
inline constexpr int kMaxMovementPage = 10'000;

// GetExtratosConta, GetMovimentosConta and GetSaldosDiarios. Read only.
std::vector<Method> ViewMethods();

}  // namespace server

#endif  // EXTRATO_SERVER_VIEW_METHODS_H_
