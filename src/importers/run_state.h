#ifndef EXTRATO_IMPORTERS_RUN_STATE_H_
#define EXTRATO_IMPORTERS_RUN_STATE_H_

// The run state: module-level variables that the import dispatch clears and every
// layout importer reads and writes. They live as long as the module is loaded.

#include <cstdint>
#include <string>

#include "host/date.h"

// Bank code of the current statement record; empty until the account of the
// current statement is resolved, so the next statement record resolves it.
extern std::string stCdBancArq;
// Account number as read from the file (200-column Bradesco layout).
extern std::string stNrContArq;
// Reduced code CDREDUCONT of the resolved account.
extern std::string stCdReduCont;
// Kind of the current statement record.
extern std::string stIdTipoRegi;
// Debit/credit indicator of the current record, as read.
extern std::string stIdDebCred;
// Number of the last movement numbered in the current statement; "0" when none.
extern std::string stNrSeqMov;
// Sequence code CDSEQUEXTR of the current statement.
extern std::string stCdSequExtr;
// Document number of the current movement as read; "0" until its row is built.
extern std::string stNrDocMov;
// The document number fitted to 20 characters, as the duplicate lookup gets it.
extern std::string stNrDocPesq;
// The account number cut to the digit count of the bank's account mask.
extern std::string stNrContMask;
// Account type chosen on the screen: "C", "L" or "G".
extern std::string stTipoConta;
// Day, month and four-digit year of the current record's date.
extern std::uint16_t nrDia;
extern std::uint16_t nrMes;
extern std::uint16_t nrAno;
// Date of the current record.
extern host::Date dtMovimento;
// Amount of the current record, unsigned; its direction is in stIdDebCred.
extern double vrMovimento;
// Characters of the bank's account mask that are not "-".
extern std::int32_t nrDigConta;
// Length of the trimmed mask text after the "-", at most three characters.
extern int nrDigVerif;

// What the dispatch clears before each run: the texts from stCdBancArq to
// stNrContMask, and the amount. The account type, date parts and mask counts stay.
void ClearRunState();

#endif  // EXTRATO_IMPORTERS_RUN_STATE_H_
