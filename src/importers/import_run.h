#ifndef EXTRATO_IMPORTERS_IMPORT_RUN_H_
#define EXTRATO_IMPORTERS_IMPORT_RUN_H_

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "host/text_file.h"
#include "importers/layout.h"
#include "importers/lookup_ahead.h"

class TfrmImpExtBanc;

namespace importers {

// One import run: reads the open statement file once, resolves the account of
// each statement on the server, stores the statement headers as they come, builds
// the movements not stored yet and submits them in one call. Every outcome but
// success leaves by an exception; the caller closes the file.
class ImportRun {
 public:
  ImportRun(TfrmImpExtBanc& screen, host::TextFile& file, std::string& line, Layout& layout);

  void Execute();

  // For the layouts' own steps.
  TfrmImpExtBanc& screen() { return screen_; }
  // Looks the current movement up among the stored ones (cdsPesqLanc); true when
  // it is stored already.
  bool FindStored();
  enum class Answer { kNo, kYes, kClosed };
  // A question of the message table, with the buttons "Não" and "Sim".
  Answer Ask(const std::string& key);

 private:
  void Begin();
  void ReadLines();
  void HandleRecord(std::string_view line);
  void ResolveAccount(std::string_view line);
  std::string NextSequenceCode();
  void CheckBank(std::string_view line);
  void ReadDate(std::string_view line);
  void ReadAmount(std::string_view line);
  void InitialBalance();
  void Movement(std::string_view line);
  void AddMovementRow(std::string_view line);
  void FinalBalance();
  void Submit();
  void ShowOutcome();
  [[noreturn]] void Fail(const std::string& text);

  TfrmImpExtBanc& screen_;
  host::TextFile& file_;
  std::string& line_;
  Layout& layout_;
  // The current statement's header is in cdsExtrBanco: its initial balance came.
  bool has_header_ = false;
  // Sequence codes of the headers met since the account was resolved.
  std::set<std::string> codes_met_;
  // The account of the last movement of this run found stored already.
  std::optional<std::string> stored_account_;
  LookupAhead lookups_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_IMPORT_RUN_H_
