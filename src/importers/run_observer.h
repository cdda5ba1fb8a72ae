#ifndef EXTRATO_IMPORTERS_RUN_OBSERVER_H_
#define EXTRATO_IMPORTERS_RUN_OBSERVER_H_

// What an import run tells as it goes, for a summary of what each line did. A run
// does the same with or without an observer.

#include <cstddef>
#include <string>

#include "host/date.h"

namespace importers {

class RunObserver {
 public:
  enum class Movement {
    kNew,       // gets a row and a number
    kStored,    // found stored on the server and left out
    kRepeated,  // repeats an earlier movement of the file, and gets a row all the same
  };
  // A balance of a statement: its account, sequence code, date, amount and sign.
  struct Balance {
    std::string account;
    std::string code;
    host::Date date;
    double amount = 0;
    std::string indicator;
  };

  virtual ~RunObserver() = default;
  // `line` is the 1-based number of the line in the file.
  virtual void OnMovement(std::size_t /*line*/, Movement) {}
  // A statement record without a debit or credit, passed over.
  virtual void OnIgnored(std::size_t /*line*/) {}
  // `stored`: the statement was stored already and is continued.
  virtual void OnInitialBalance(std::size_t /*line*/, const Balance&, bool /*stored*/) {}
  virtual void OnFinalBalance(std::size_t /*line*/, const Balance&) {}
  // The run is abandoned, nothing of it stored, and the file is read again from its
  // first line; `reason` is for the user.
  virtual void OnRestart(const std::string& /*reason*/) {}
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_OBSERVER_H_
