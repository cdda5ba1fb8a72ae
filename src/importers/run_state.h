#ifndef EXTRATO_IMPORTERS_RUN_STATE_H_
#define EXTRATO_IMPORTERS_RUN_STATE_H_

// What an import run carries from one record to the next: the statement being
// numbered and the record last read. Each run makes its own.

#include <string>

#include "host/date.h"

namespace importers {

struct RunState {
  // Reduced code CDREDUCONT of the resolved account.
  std::string stCdReduCont;
  // Kind of the current statement record.
  std::string stIdTipoRegi;
  // Debit/credit indicator of the current record, as read.
  std::string stIdDebCred;
  // Number of the last movement numbered in the current statement; "0" when none.
  std::string stNrSeqMov = "0";
  // Sequence code CDSEQUEXTR of the current statement.
  std::string stCdSequExtr;
  // Document number of the current movement as read; "0" until its row is built.
  std::string stNrDocMov;
  // The document number fitted to 20 characters, as the duplicate lookup gets it.
  std::string stNrDocPesq;
  // The account number cut to the digit count of the bank's account mask.
  std::string stNrContMask;
  // Account type chosen on the screen: "C", "L" or "G".
  std::string stTipoConta;
  // Date of the current record.
  host::Date dtMovimento;
  // Amount of the current record, unsigned; its direction is in stIdDebCred.
  double vrMovimento = 0;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_STATE_H_
