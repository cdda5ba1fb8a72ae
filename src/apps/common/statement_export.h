#ifndef EXTRATO_APPS_COMMON_STATEMENT_EXPORT_H_
#define EXTRATO_APPS_COMMON_STATEMENT_EXPORT_H_

// Imported movements written for other tools: CSV for spreadsheets, OFX for
// personal-finance and accounting programs. A writer takes one movement at a
// time, so an export never holds the account whole.

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "host/date.h"

namespace apps {

// One movement as the server lists it (GetMovimentosConta).
struct ListedMovement {
  std::string statement;  // CDSEQUEXTR
  std::string number;     // NRSEQMOVREAL
  host::Date date;
  std::string document;
  std::string history;
  double amount = 0;              // as stored: not negative; the indicator gives the side
  std::string debit_credit;       // "C" or "D"
  std::string status;             // IDSTCONMVBAN: "0" pending reconciliation
  std::optional<double> balance;  // the statement's balance after it

  double Signed() const { return debit_credit == "D" ? -amount : amount; }
};

// What an export says about the account and the period around its movements.
struct ExportHeader {
  std::string account;  // reduced code
  std::string bank;
  std::string agency;
  std::string number;      // as stored: digits and check characters, no separators
  std::string kind = "C";  // IDTIPOCONTA: C, L or G
  host::Date from;
  host::Date to;
  // The closing balance of the last statement exported, signed, and its day.
  std::optional<double> closing_balance;
  host::Date closing_date;
};

enum class ExportFormat { kCsv, kOfx };

class ExportWriter {
 public:
  virtual ~ExportWriter() = default;
  virtual void Add(const ListedMovement& movement) = 0;
  // Writes what follows the last movement.
  virtual void Finish() = 0;
};

// Starts the file on `out` (the CSV heading, the OFX header up to its list).
std::unique_ptr<ExportWriter> MakeExportWriter(ExportFormat format, const ExportHeader& header,
                                               std::ostream& out);

// The CSV heading's columns, in order.
extern const char* const kCsvColumns[10];

// "0000000001-0000000003": one movement, the same in every export of it.
std::string TransactionId(const ListedMovement& movement);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_STATEMENT_EXPORT_H_
