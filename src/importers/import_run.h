#ifndef EXTRATO_IMPORTERS_IMPORT_RUN_H_
#define EXTRATO_IMPORTERS_IMPORT_RUN_H_

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/text_file.h"
#include "importers/held_headers.h"
#include "importers/lookup_ahead.h"
#include "importers/movement_policy.h"
#include "importers/run_calls.h"
#include "importers/run_observer.h"
#include "importers/run_screen.h"
#include "importers/run_state.h"
#include "layouts/layout.h"

namespace importers {

// The user's answers to the run's questions, by message key: a run read again
// after another import wrote into its account does not ask twice.
using RememberedAnswers = std::map<std::string, int>;

struct ImportOptions {
  // The account type the statements' accounts are looked up with: "C", "L" or "G".
  std::string account_type = "C";
  // Told what each line did; null: nobody watches.
  RunObserver* observer = nullptr;
  // Null: every question is asked.
  RememberedAnswers* answers = nullptr;
  // A preview: the same run to its end, its submission checked by the server and
  // rolled back; nothing else sent that would write.
  bool preview = false;
  // A statement whose movements do not take its opening balance to its closing one
  // is stored only if the user says so.
  bool check_balances = true;
  // Most duplicate lookups one request carries; 0: one request a movement.
  std::size_t read_ahead = kReadAheadLimit;
};

// An import: one run of the file and, while another import commits into one of its
// accounts between the run's reads and its submission, the file run again from its
// first line (nothing of a run is stored but by its submission). Every outcome but
// success leaves by an exception; the caller closes the file.
void RunImport(const RunScreen& screen, host::TextFile& file, std::string& line,
               const Layout& layout, ImportOptions options = {});

// One run: reads the open statement file once, resolves the account of each
// statement on the server, builds the statement headers and the movements not stored
// yet, and submits them all in one call that stores all or nothing.
class ImportRun {
 public:
  // Thrown by Execute when another import committed into one of the run's accounts
  // after the run read it: nothing was stored, and the run's decisions may be stale.
  struct AccountChanged {
    std::string account;
  };

  ImportRun(const RunScreen& screen, host::TextFile& file, std::string& line, const Layout& layout,
            ImportOptions options = {});

  void Execute();

  // For the movement policies.
  const RunScreen& screen() const { return screen_; }
  const std::string& Account() const { return state_.stCdReduCont; }
  std::size_t LineNumber() const { return file_.LineNumber(); }
  // Whether the current statement's account is resolved, and the record that did it.
  bool AccountResolved() const { return account_resolved_; }
  const std::string& ResolvingLine() const { return resolving_line_; }
  // Looks the movement up among the stored ones; true when it is stored already.
  // The one remote lookup per movement.
  bool FindStored(const RecordValues& movement);
  enum class Answer { kNo, kYes, kClosed };
  // A question of the message table, with the buttons "Não" and "Sim".
  Answer Ask(const std::string& key);
  // The same, with the question's "%s" filled in order; remembered by its text.
  Answer Ask(const std::string& key, const std::vector<std::string>& arguments);

 private:
  void Begin();
  void ReadLines();
  void AdvanceProgress();
  void HandleRecord(std::string_view line);
  void ForgetAccount();
  void ResolveAccount(std::string_view line);
  std::string LookUpAccount(const std::string& agency, const std::string& number);
  std::string NextSequenceCode();
  void CheckBank(const Record& record);
  void FocusBank();
  host::Date ReadDate(const Record& record);
  void InitialBalance(const RecordValues& balance);
  RunObserver::Balance BalanceOf(const RecordValues& balance) const;
  void AdoptStoredStatement(const std::string& code);
  long long UltSeqMovReal(const std::string& account, const std::string& code);
  void Movement(const Record& record, RecordValues& movement);
  void AddMovementRow(const Record& record, const RecordValues& movement);
  void FinalBalance(const RecordValues& balance);
  void ReadAccountVersion();
  void CheckIndicator(const std::string& indicator);
  void CheckBalances(const RecordValues& closing);
  void AskAboutUnbalanced();
  void Submit();
  void TellSubmitting();
  host::Variant SubmissionContext() const;
  // No new movement, and some found stored: the file was imported before.
  bool FoundStoredWhole() const;
  bool RanWithoutData() const;
  void ShowOutcome();
  // The button of the question's dialog, or the answer given to it in an earlier run.
  int ButtonChosen(const std::string& remembered_as, const std::string& text);
  [[noreturn]] void Fail(const std::string& text);

  RunScreen screen_;
  host::TextFile& file_;
  std::string& line_;
  RunState state_;
  const Layout& layout_;
  ImportOptions options_;
  std::unique_ptr<MovementPolicy> policy_;
  RunCalls calls_;
  bool account_resolved_ = false;
  std::string resolving_line_;
  // Bank code of the last statement record read; empty while none was.
  std::string stCdBancLido;
  // The current statement's header is in cdsExtrBanco: its initial balance came.
  bool has_header_ = false;
  // Sequence codes of the headers met since the account was resolved.
  std::set<std::string> codes_met_;
  // The account of the last movement of this run found stored already.
  std::optional<std::string> stored_account_;
  LookupAhead lookups_;
  // The version of each account as read before anything else of it.
  std::map<std::string, long long> versions_;
  HeldHeaders headers_;
  // The current statement's opening balance, signed, and the movements read in it.
  struct Sums {
    host::Date opening_date;
    double opening = 0;
    double credits = 0;
    double debits = 0;
  };
  Sums sums_;
  // The statements whose balances and movements disagree: each one's date and sums.
  std::vector<std::pair<std::string, std::string>> unbalanced_;
  // The fields of a movement row, found by name once rather than for every row.
  struct MovementFields {
    explicit MovementFields(host::RecordSet& rows);
    host::Field account, code, number, document, date, amount, direction, history, kind, category,
        reconciliation, type;
  };
  MovementFields movement_fields_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_IMPORT_RUN_H_
