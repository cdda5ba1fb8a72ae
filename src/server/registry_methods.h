// Registration of banks, current accounts and the company's layout per bank, so that
// a user never needs SQL to set up an import.
#ifndef EXTRATO_SERVER_REGISTRY_METHODS_H_
#define EXTRATO_SERVER_REGISTRY_METHODS_H_

#include <vector>

#include "server/methods.h"

namespace server {

// GetBancos, IncluiBanco, AlteraBanco, ExcluiBanco, GetContas, IncluiConta,
// AlteraConta, ExcluiConta, GetLayouts and SetLayout.
std::vector<Method> RegistryMethods();

}  // namespace server

#endif  // EXTRATO_SERVER_REGISTRY_METHODS_H_
