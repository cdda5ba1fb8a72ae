#ifndef EXTRATO_SCREEN_BANK_QUERY_H_
#define EXTRATO_SCREEN_BANK_QUERY_H_

#include "host/query.h"

// The bank lookup: every bank by code when P_CDBANCO is null, that bank otherwise.
void SetUpBankQuery(host::TADOIBQuery& query);

#endif  // EXTRATO_SCREEN_BANK_QUERY_H_
