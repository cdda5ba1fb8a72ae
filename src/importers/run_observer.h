#ifndef EXTRATO_IMPORTERS_RUN_OBSERVER_H_
#define EXTRATO_IMPORTERS_RUN_OBSERVER_H_

// What an import run tells as it goes, for a summary of what each line did. A run
// does the same with or without an observer.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/date.h"
#include "layouts/layout.h"

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

  // What the run reads and how: the bank chosen, the layout that reads it, the file.
  struct Start {
    std::string bank;
    const Layout* layout = nullptr;
    std::string file;
    bool preview = false;  // nothing the run does reaches the database
  };
  // An account looked up for a statement, as asked and as answered.
  struct AccountLookup {
    std::string bank;
    std::string agency;
    std::string number;         // cut to the places of the mask
    std::string type;           // "C", "L" or "G"
    std::string mask;           // the bank's account mask
    bool by_beginning = false;  // agency, number and type as beginnings
    std::string found;          // the reduced code; empty when none is registered
  };
  // The new movements of a statement in the submission, summed.
  struct Submitted {
    std::string account;
    std::string code;
    double credits = 0;
    double debits = 0;
  };

  virtual ~RunObserver() = default;
  virtual void OnStart(const Start&) {}
  virtual void OnAccountLookup(std::size_t /*line*/, const AccountLookup&) {}
  // A movement as its line states it.
  struct MovementRead {
    host::Date date;
    std::string_view document;
    std::string_view history;
    double amount = 0;
    std::string_view direction;  // "D" or "C"
  };
  // `line` is the 1-based number of the line in the file.
  virtual void OnMovement(std::size_t /*line*/, const MovementRead&, Movement) {}
  // A statement record without a debit or credit, passed over.
  virtual void OnIgnored(std::size_t /*line*/) {}
  // `stored`: the statement was stored already and is continued.
  virtual void OnInitialBalance(std::size_t /*line*/, const Balance&, bool /*stored*/) {}
  virtual void OnFinalBalance(std::size_t /*line*/, const Balance&) {}
  // The run is abandoned, nothing of it stored, and the file is read again from its
  // first line; `reason` is for the user.
  virtual void OnRestart(const std::string& /*reason*/) {}
  // Said just before the submission.
  virtual void OnSubmitting(const std::vector<Submitted>& /*statements*/) {}
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_OBSERVER_H_
