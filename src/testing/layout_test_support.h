#ifndef EXTRATO_TESTING_LAYOUT_TEST_SUPPORT_H_
#define EXTRATO_TESTING_LAYOUT_TEST_SUPPORT_H_

// Test support for any layout of the table: statements of its demonstration
// account as the generator writes them, and the lines' records found by the
// layout's own rules.

#include <stdexcept>
#include <string>
#include <vector>

#include "layouts/layouts.h"
#include "testing/import_test_support.h"
#include "tools/statements/statement_generator.h"

namespace importers::testing {

inline constexpr long kMovements = 5;

class LayoutImportTest : public ImportTest {
 protected:
  void Use(const std::string& name) { layout_ = &LayoutNamed(name); }
  const Layout& layout() const { return *layout_; }

  std::string Bank() const { return bench::BankOf(layout()); }
  std::string Account() const { return bench::GeneratedAccounts(layout(), 1).front().reduced; }
  std::string LookupMethod() const {
    return layout().account_lookup == AccountLookup::kContCorr ? "GetContCorr"
                                                               : "GetVerificaContCorr";
  }
  bool AsksAboutDuplicates() const { return layout().duplicates == Duplicates::kAskTheUser; }

  // A statement of the layout's demonstration account with `movements` movements
  // from 02/01/2024, documents from 100000 on; with more accounts, one statement
  // (a file, in 240 columns) each.
  std::vector<std::string> Statement(long movements = kMovements, int accounts = 1) const {
    return bench::GenerateStatement({&layout(), movements, accounts, 7});
  }
  // Registers the made-up accounts of a statement of that many accounts.
  void RegisterAccounts(int accounts) {
    for (const bench::GeneratedAccount& a : bench::GeneratedAccounts(layout(), accounts))
      Exec(
          fmt::format("INSERT INTO CONTCORR VALUES ('{}', '{}', '{}', '{}', 'C', 'GERADA') "
                      "ON CONFLICT DO NOTHING",
                      a.reduced, a.bank, a.agency, a.number));
  }

  bool IsRecord(const std::string& line) const {
    return layout().line_kind(layout(), line) == LineKind::kRecord;
  }
  bool IsKind(const std::string& line, std::string_view kind) const {
    return IsRecord(line) && FieldAt(line, layout().columns.kind) == kind;
  }
  // The index of the n-th line (0-based) of that kind.
  std::size_t LineOfKind(const std::vector<std::string>& lines, std::string_view kind,
                         int n = 0) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (IsKind(lines[i], kind) && n-- == 0)
        return i;
    }
    throw std::logic_error("no such line");
  }
  std::size_t MovementLine(const std::vector<std::string>& lines, int n) const {
    return LineOfKind(lines, layout().kinds.movement, n);
  }
  // The text put over a column of one line, or of every statement record.
  static void Put(std::string& line, Column column, std::string_view text) {
    line.replace(column.position - 1, column.length,
                 fmt::format("{:<{}.{}}", text, column.length, column.length));
  }
  std::vector<std::string> OverRecords(std::vector<std::string> lines, Column column,
                                       char fill) const {
    for (std::string& line : lines) {
      if (IsRecord(line))
        Put(line, column, std::string(column.length, fill));
    }
    return lines;
  }

  host::EventOutcome ImportLines(const std::vector<std::string>& lines,
                                 const std::string& line_end = "\r\n") {
    return Import(Bank(), WriteFile("extrato.txt", lines, line_end));
  }

 private:
  const Layout* layout_ = nullptr;
};

}  // namespace importers::testing

#endif  // EXTRATO_TESTING_LAYOUT_TEST_SUPPORT_H_
