// Valid statement files of every layout of the table, made up from a seed: the
// same arguments always give the same file.
#ifndef EXTRATO_TOOLS_STATEMENTS_STATEMENT_GENERATOR_H_
#define EXTRATO_TOOLS_STATEMENTS_STATEMENT_GENERATOR_H_

#include <cstdint>
#include <string>
#include <vector>

#include "layouts/layout.h"

namespace bench {

struct GeneratorOptions {
  // A layout of the table.
  const importers::Layout* layout = nullptr;
  // Movements of the whole file, shared out among the accounts.
  long movements = 1000;
  // One statement per account. Account 0 is the demonstration account of the
  // layout's bank; the others are made up and must be registered to import.
  int accounts = 1;
  std::uint64_t seed = 1;
  // Days from 2 January 2024 to the first day of the statements: files of one account
  // that do not overlap, as a bank's daily files.
  int later_days = 0;
};

// An account of a generated file, as the server registers it.
struct GeneratedAccount {
  std::string reduced;  // CDREDUCONT
  std::string bank;     // CDBANCO
  std::string agency;   // CDAGENCIA
  std::string number;   // NRCONTCORR: as many characters as the bank's mask has places
};

// The bank whose code the screen takes for the layout, in the demonstration data.
std::string BankOf(const importers::Layout& layout);

std::vector<GeneratedAccount> GeneratedAccounts(const importers::Layout& layout, int accounts);

// The lines of the file, without line ends. 200 columns: one file header, a
// statement per account, one trailer. 240 columns: since a file holds one account,
// one file (header, batch, trailer) per account, one after the other.
std::vector<std::string> GenerateStatement(const GeneratorOptions& options);

}  // namespace bench

#endif  // EXTRATO_TOOLS_STATEMENTS_STATEMENT_GENERATOR_H_
