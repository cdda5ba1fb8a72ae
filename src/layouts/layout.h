#ifndef EXTRATO_LAYOUTS_LAYOUT_H_
#define EXTRATO_LAYOUTS_LAYOUT_H_

// What a statement layout tells the shared import run: where its fields are, how
// it reads a line, and the few steps it takes its own way. A layout is one row of
// the table in layouts.h, plain data and pure functions of a line; everything else
// is the run's.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importers {

struct Layout;

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

// What the run does with movements stored already or repeated in the file.
enum class Duplicates {
  kSkipStored,  // a movement found stored is left out without a question
  // Every movement is looked up and one stored is left out, but the file's first
  // movement found stored, and the first repeat within the file, are put to the user.
  kAskTheUser,
};

// The demonstration bank of a layout, as the demonstration database registers it.
struct DemoBank {
  std::string_view code;  // CDBANCO, as the screen takes it
  std::string_view name;
  std::string_view cnab;  // as the file writes it
  std::string_view mask;
};

// The demonstration account of a layout and its example file: what the generator
// writes, the demonstration database registers and samples/ holds.
struct Demo {
  DemoBank bank;
  std::string_view reduced;  // CDREDUCONT
  std::string_view agency;
  std::string_view number;  // as many characters as the bank's mask has places
  std::string_view account_name;
  // The bank's name in a 200-column file header.
  std::string_view bank_in_file;
  // The account number as the layout's account column holds it.
  std::string (*in_file)(std::string_view number);
  std::string_view example_file;         // name under samples/
  std::string_view example_description;  // the layout, as samples/README.md names it
};

// Agency rule of most layouts: the agency column, trimmed.
std::string TrimmedAgency(const Layout& layout, std::string_view line);
// Account rule of most layouts: the account column trimmed, cut to its last
// characters as many as the mask has places.
std::string TrimmedAccount(const Layout& layout, std::string_view line, std::string_view mask);

// One statement layout: a row of the table. Its defaults are what most layouts do.
struct Layout {
  std::string_view name;     // short name: the sample file, the generator, the benchmark
  std::string_view caption;  // for people
  // CNAB codes of the banks that send it. Empty: the layout of every other bank.
  std::vector<std::string> cnab_codes;
  // For a bank of several layouts: the codes of GetIdLayout that choose this one.
  std::vector<std::string> company_layouts;
  std::size_t width = 0;  // characters of a record
  Columns columns{};
  RecordKinds kinds{};

  // Plain functions of a line.
  LineKind (*line_kind)(const Layout& layout, std::string_view line) = nullptr;
  std::string (*agency)(const Layout& layout, std::string_view line) = TrimmedAgency;
  // The account number as the lookup takes it, cut to the places of the bank's
  // account mask.
  std::string (*account)(const Layout& layout, std::string_view line,
                         std::string_view mask) = TrimmedAccount;
  // The four-digit year text; null: the year column as written.
  std::string (*year)(std::string_view two_or_four_digits) = nullptr;
  // The indicator; null: the indicator column as written.
  std::optional<std::string> (*indicator)(const Layout& layout, std::string_view line) = nullptr;
  // The document number; null: the document column as written.
  std::string (*document)(std::string_view as_written) = nullptr;

  // A check of a record before its account is resolved: the message key that
  // refuses it, or none. `resolving` is the record that resolved the current
  // account; empty while none is. Null: no check.
  std::optional<std::string> (*check_record)(std::string_view line,
                                             std::string_view resolving) = nullptr;
  BlankLines blank_lines = BlankLines::kPassedOver;
  AccountLookup account_lookup = AccountLookup::kContCorr;
  StoredStatement stored_statement = StoredStatement::kAdopt;
  // The stored document number is the one fitted for the lookup, not the one read.
  bool document_from_lookup = false;
  FinalBalanceResets final_balance_resets = FinalBalanceResets::kNothing;
  NoDataTest no_data = NoDataTest::kNoRecordRead;
  std::string_view submission = "Set_Real_Bradesco";
  Duplicates duplicates = Duplicates::kSkipStored;
  Demo demo{};
};

// The record of a line, as the layout reads it.
Record ReadRecord(const Layout& layout, std::string_view line);

// The count of places of an account mask: its characters that are not "-".
int MaskPlaces(std::string_view mask);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_LAYOUT_H_
