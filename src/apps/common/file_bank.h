#ifndef EXTRATO_APPS_COMMON_FILE_BANK_H_
#define EXTRATO_APPS_COMMON_FILE_BANK_H_

// The registered bank a statement file names: its CNAB code, read from the file,
// among the banks the server holds, and of those the ones whose layout reads lines
// of the file's width. It never picks one of several by itself.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/common/server_call.h"
#include "layouts/recognise.h"

namespace apps {

struct RegisteredBank {
  std::string code;  // CDBANCO
  std::string name;
  std::string cnab;
  std::string mask;
  // The layout the company reads the bank's files with; null when none or not asked.
  const importers::Layout* layout = nullptr;
};

struct FileBank {
  importers::FileRecognition file;
  // The registered banks that read the file: one names it, several leave the choice
  // to the user; none when `problem` says why.
  std::vector<RegisteredBank> banks;
  std::string problem;
};

// Reads the whole file once. Throws, with the reason, when it cannot.
importers::FileRecognition RecogniseFile(const std::string& path);

// The banks of the registry (GetBancos) that read the file, each by the layout the
// company reads it with (GetIdLayout).
FileBank BankOfFile(const importers::FileRecognition& file, const ServerCall& call,
                    const std::string& company);

// The registered bank of that code; none when no bank has it.
std::optional<RegisteredBank> FindBank(const std::string& code, const ServerCall& call);

// "Banco 341 (ITAÚ UNIBANCO S.A.) reconhecido pelo arquivo."
std::string RecognisedText(const RegisteredBank& bank);
// "341 (ITAÚ UNIBANCO S.A.)", for lists.
std::string BankLabel(const RegisteredBank& bank);
// Why the file names no single bank: the banks that all read it.
std::string SeveralBanksText(const FileBank& found);

// The warning for a bank chosen by the user whose CNAB code is not the one the
// file carries; none when they agree or the file carries no single code.
std::optional<std::string> OtherBankWarning(const importers::FileRecognition& file,
                                            const RegisteredBank& chosen);

// {"cnab", "width", "bank", "statements": [{"line", "agency", "account"}]}: the
// statements as the bank named, with its layout, reads them.
nlohmann::json RecognitionJson(const importers::FileRecognition& file, const RegisteredBank& bank);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_FILE_BANK_H_
