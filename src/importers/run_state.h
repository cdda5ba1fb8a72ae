#ifndef EXTRATO_IMPORTERS_RUN_STATE_H_
#define EXTRATO_IMPORTERS_RUN_STATE_H_

// What an import run carries from one record to the next, and what one record says
// once converted. Each run makes its own state.

#include <string>
#include <string_view>

#include "host/date.h"

namespace importers {

struct RunState {
  // Reduced code CDREDUCONT of the resolved account.
  std::string stCdReduCont;
  // Number of the last movement numbered in the current statement; "0" when none.
  std::string stNrSeqMov = "0";
  // Sequence code CDSEQUEXTR of the current statement.
  std::string stCdSequExtr;
};

// A statement record's values, converted: a balance or a movement.
struct RecordValues {
  std::string kind;
  // "D" or "C" for the records the run keeps; as read otherwise.
  std::string direction;
  host::Date date;
  // Unsigned; the direction says which way.
  double amount = 0;
  // The document number fitted to 20 characters, as the duplicate lookup gets it.
  std::string document_key;
  std::string_view history;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_STATE_H_
