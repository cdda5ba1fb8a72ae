#ifndef EXTRATO_IMPORTERS_RUN_STATE_H_
#define EXTRATO_IMPORTERS_RUN_STATE_H_

// The run state: what the import dispatch clears and every layout reads and
// writes while it imports. The screen owns one and hands it to each run.

#include <cstdint>
#include <string>

#include "host/date.h"

namespace importers {

struct RunState {
  // Bank code of the current statement record.
  std::string stCdBancArq;
  // Account number as read from the file (200-column Bradesco layout).
  std::string stNrContArq;
  // Reduced code CDREDUCONT of the resolved account.
  std::string stCdReduCont;
  // Kind of the current statement record.
  std::string stIdTipoRegi;
  // Debit/credit indicator of the current record, as read.
  std::string stIdDebCred;
  // Number of the last movement numbered in the current statement; "0" when none.
  std::string stNrSeqMov;
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
  // Day, month and four-digit year of the current record's date.
  std::uint16_t nrDia = 0;
  std::uint16_t nrMes = 0;
  std::uint16_t nrAno = 0;
  // Date of the current record.
  host::Date dtMovimento;
  // Amount of the current record, unsigned; its direction is in stIdDebCred.
  double vrMovimento = 0;
  // Characters of the bank's account mask that are not "-".
  std::int32_t nrDigConta = 0;
  // Length of the trimmed mask text after the "-", at most three characters.
  int nrDigVerif = 0;

  // What the dispatch clears before each run: the texts from stCdBancArq to
  // stNrContMask, and the amount. The account type, date parts and mask counts stay.
  void Clear();
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_STATE_H_
