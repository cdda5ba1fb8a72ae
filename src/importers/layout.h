#ifndef EXTRATO_IMPORTERS_LAYOUT_H_
#define EXTRATO_IMPORTERS_LAYOUT_H_

// What a statement layout tells the shared import run: where its fields are, how
// it reads a line, and the few steps it takes its own way. A layout is one row of
// the table in layouts.h; everything else is the run's.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/net_connection.h"
#include "importers/run_observer.h"

namespace importers {

class ImportRun;
struct RunState;

// A field of a fixed-width line: 1-based position and length, in characters.
struct Column {
  std::size_t position;
  std::size_t length;
};

// The characters under a column; past the end of a short line, what is there.
std::string FieldAt(std::string_view line, Column column);

// Where a layout keeps the fields of a statement record.
struct Columns {
  Column bank;       // trimmed, must equal the chosen bank's CNAB code
  Column agency;     // as written; the layout's agency rule reads it
  Column account;    // as written; the layout's account rule reads it
  Column kind;       // record kind
  Column day;        // decimal digits
  Column month;      // decimal digits
  Column year;       // four digits, or two under the layout's year rule
  Column whole;      // amount, integer digits
  Column decimals;   // amount, two decimal digits
  Column indicator;  // "D" or "C"
  Column document;   // document number of a movement
  Column history;    // history text of a movement
  Column category;   // the bank's category code of a movement
};

// The kind characters of the three statement records.
struct RecordKinds {
  std::string_view initial_balance;
  std::string_view movement;
  std::string_view final_balance;
};

// What a line of the file is to the run.
enum class LineKind {
  kRecord,       // a statement record
  kPassedOver,   // only advances the progress
  kEndsAccount,  // passed over, and the next record resolves its account again
};

// The texts of a statement record as its layout reads them, nothing converted yet.
struct Record {
  std::string bank;  // trimmed
  std::string kind;
  std::string day;
  std::string month;
  std::string year;  // four digits, after the layout's year rule
  std::string whole;
  std::string decimals;
  // None when the record has no debit or credit and is passed over.
  std::optional<std::string> indicator;
  std::string document;  // after the layout's document rule
  std::string history;
  std::string category;
};

// What becomes of a line that holds only blanks: never a statement record.
enum class BlankLines {
  kPassedOver,  // it only advances the progress
  kSkipped,     // not even the progress moves
};

enum class AccountLookup {
  kContCorr,          // GetContCorr (bank, agency, account, type)
  kVerificaContCorr,  // GetVerificaContCorr, agency, account and type followed by "%"
};

// What a final balance forgets besides its statement's header.
enum class FinalBalanceResets {
  kNothing,    // the account stays resolved
  kAccount,    // the next record resolves the account again; the numbering goes on
  kStatement,  // the account, the sequence code and the numbering
};

// What an initial balance does with a statement stored already.
enum class StoredStatement {
  // Adopts its code and last number, unless it is the statement being numbered.
  kAdoptOtherCode,
  // Adopts its code and last number, always asking the server for that number.
  kAdopt,
  // As kAdopt, numbering on from the server's last number plus the highest number
  // this run has given the statement.
  kAdoptAddingRunNumbers,
};

// How the end of a run tells a file that held nothing to import.
enum class NoDataTest {
  kNoSequenceCode,  // no account was resolved
  kNoRecordRead,    // no statement record was read
  kNoMovement,      // no movement row was built
};

// A layout's own policy on movements stored already or repeated in the file.
class MovementPolicy {
 public:
  virtual ~MovementPolicy() = default;
  virtual void Start(ImportRun&) {}
  // What becomes of the current movement: every outcome but kStored gets a row.
  virtual RunObserver::Movement Judge(ImportRun& run, const Record& record) = 0;
  virtual host::Variant SubmissionArguments(host::Variant movements, host::Variant header) const;
};

// Movements found stored on the server are left out without a question.
class SkipStoredMovements : public MovementPolicy {
 public:
  RunObserver::Movement Judge(ImportRun& run, const Record& record) override;
};

// One statement layout: a row of the table.
struct Layout {
  std::string_view name;     // short name: the sample file, the generator, the benchmark
  std::string_view caption;  // for people
  // CNAB codes of the banks that send it. Empty: the layout of every other bank.
  std::vector<std::string> cnab_codes;
  // For a bank of several layouts: the codes of GetIdLayout that choose this one.
  std::vector<std::string> company_layouts;
  std::size_t width;  // characters of a record
  Columns columns;
  RecordKinds kinds;

  // Plain functions of a line.
  LineKind (*line_kind)(const Layout& layout, std::string_view line);
  std::string (*agency)(const Layout& layout, std::string_view line);
  // The account number cut to the bank's mask; the state takes nrDigConta, and
  // nrDigVerif or stNrContArq where the layout's rule gives them.
  std::string (*masked_account)(const Layout& layout, std::string_view line, std::string_view mask,
                                RunState& state);
  // The four-digit year text; null: the year column as written.
  std::string (*year)(std::string_view two_or_four_digits);
  // The indicator; null: the indicator column as written.
  std::optional<std::string> (*indicator)(const Layout& layout, std::string_view line);
  // The document number; null: the document column as written.
  std::string (*document)(std::string_view as_written);

  // Checks of a record before its account is resolved; null: none.
  void (*check_record)(ImportRun& run, std::string_view line);
  BlankLines blank_lines;
  AccountLookup account_lookup;
  StoredStatement stored_statement;
  // The stored document number is the one fitted for the lookup, and stNrDocMov
  // keeps "0".
  bool document_from_lookup;
  FinalBalanceResets final_balance_resets;
  NoDataTest no_data;
  std::string_view submission;
  // Null: SkipStoredMovements.
  std::unique_ptr<MovementPolicy> (*movement_policy)();
};

// The record of a line, as the layout reads it.
Record ReadRecord(const Layout& layout, std::string_view line);

// The count of places of an account mask: its characters that are not "-".
int MaskPlaces(std::string_view mask);

// Agency rule of most layouts: the agency column, trimmed.
std::string TrimmedAgency(const Layout& layout, std::string_view line);

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_LAYOUT_H_
