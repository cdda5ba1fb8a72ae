#ifndef EXTRATO_RECORDS_RECORD_SETS_H_
#define EXTRATO_RECORDS_RECORD_SETS_H_

// The field lists of the screen's record sets. The names are the server's
// column names; the order is the order of the server's packets.

#include <vector>

#include "host/record_set.h"

namespace records {

// Statement header (EXTRBANCO); at most one row at a time.
std::vector<host::FieldDef> ExtrBancoFields();
// Statement movements (MOVREAL); also the in-file repeat scratch set.
std::vector<host::FieldDef> MovRealFields();
std::vector<host::FieldDef> MaskContFields();
std::vector<host::FieldDef> ContCorrFields();
std::vector<host::FieldDef> PesqLancFields();
std::vector<host::FieldDef> SequenciaFields();
std::vector<host::FieldDef> DiretorioFields();

}  // namespace records

#endif  // EXTRATO_RECORDS_RECORD_SETS_H_
