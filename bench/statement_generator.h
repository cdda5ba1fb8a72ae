// Valid statement files of the Bradesco 200-column and FEBRABAN 240-column layouts,
// made up from a seed: the same arguments always give the same file.
#ifndef EXTRATO_BENCH_STATEMENT_GENERATOR_H_
#define EXTRATO_BENCH_STATEMENT_GENERATOR_H_

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class Layout { kBradesco, kFebraban };

struct GeneratorOptions {
  Layout layout = Layout::kBradesco;
  // Movements of the whole file, shared out among the accounts.
  long movements = 1000;
  // One statement per account. Account 0 is the demonstration account of the
  // layout's bank; the others are made up and must be registered to import.
  int accounts = 1;
  std::uint64_t seed = 1;
};

// An account of a generated file, as the server registers it.
struct GeneratedAccount {
  std::string reduced;  // CDREDUCONT
  std::string bank;     // CDBANCO
  std::string agency;   // CDAGENCIA
  std::string number;   // NRCONTCORR: as many characters as the bank's mask has places
};

// The bank whose code the screen takes for the layout: "237" or "001".
std::string BankOf(Layout layout);

std::vector<GeneratedAccount> GeneratedAccounts(Layout layout, int accounts);

// The lines of the file, without line ends. Bradesco: one file header, a statement
// per account, one trailer. FEBRABAN: since a file holds one account, one file
// (header, batch, trailer) per account, one after the other.
std::vector<std::string> GenerateStatement(const GeneratorOptions& options);

}  // namespace bench

#endif  // EXTRATO_BENCH_STATEMENT_GENERATOR_H_
