#ifndef EXTRATO_IMPORTERS_LAYOUT_H_
#define EXTRATO_IMPORTERS_LAYOUT_H_

// What a statement layout tells the shared import run: where its fields are and
// the few steps it takes its own way. Everything else is the run's.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "host/net_connection.h"

namespace importers {

class ImportRun;

// A field of a fixed-width line: 1-based position and length, in characters.
struct Column {
  std::size_t position;
  std::size_t length;
};

// The characters under a column; past the end of a short line, what is there.
std::string FieldAt(std::string_view line, Column column);

// The fields every import run reads from a statement record.
struct Columns {
  Column bank;       // trimmed, must equal the chosen bank's CNAB code
  Column agency;     // trimmed, for the account lookup
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

class Layout {
 public:
  Layout(const Columns& columns, const RecordKinds& kinds) : columns_(columns), kinds_(kinds) {}
  virtual ~Layout() = default;

  const Columns& columns() const { return columns_; }
  const RecordKinds& kinds() const { return kinds_; }

  // Before the first line is read.
  virtual void Start(ImportRun&) {}
  // Whether the line is a statement record. A line that is not one may still end
  // the resolved account.
  virtual bool IsStatementRecord(std::string_view line) = 0;
  // Checks and readings of a statement record before its account is resolved.
  virtual void BeginRecord(ImportRun& run, std::string_view line) = 0;
  // At each account resolution, with the record that resolves it: the account
  // number cut to the nrDigConta characters of the bank's account mask.
  virtual std::string MaskedAccount(std::string_view line, std::string_view mask) = 0;
  // The four-digit year text of the record.
  virtual std::string YearText(std::string_view line) const;
  // The debit/credit indicator; none when the record is to be passed over.
  virtual std::optional<std::string> Indicator(std::string_view line) const;
  // Whether the current movement is new and gets a row; false when it is stored
  // already. Runs the layout's duplicate lookup and questions.
  virtual bool IsNewMovement(ImportRun& run, std::string_view line) = 0;
  // What a final balance resets, so that a further statement is read afresh.
  virtual void EndStatement() = 0;
  // The layout's test for a run that met no statement record.
  virtual bool RanWithoutData(ImportRun& run) const = 0;
  // The remote method that stores the movements, and its arguments.
  virtual std::string SubmissionMethod() const = 0;
  virtual host::Variant SubmissionArguments(host::Variant movements, host::Variant header) const;

 private:
  Columns columns_;
  RecordKinds kinds_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_LAYOUT_H_
