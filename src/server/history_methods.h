// What each import stored, listed and undone.
#ifndef EXTRATO_SERVER_HISTORY_METHODS_H_
#define EXTRATO_SERVER_HISTORY_METHODS_H_

#include <optional>
#include <string_view>
#include <vector>

#include "host/packed_row.h"
#include "server/import_context.h"
#include "server/methods.h"
#include "server/movement_writer.h"

namespace server {

// What a submission stored, as the history records it.
struct SubmittedImport {
  std::string_view method;
  const host::PackedPacket& movements;
  const host::ChangeSet* headers;  // null: the client saved them on its own
  std::optional<bool> import_repeated;
  const std::optional<ImportContext>& context;
};

// Inside a submission's transaction, before its movements are stored: one log row per
// account it writes into, with its movement count. Answers each account's import
// number, which the account's movements are stored with.
ImportNumbers LogImport(Db& db, const SubmittedImport& import);

// After its headers and movements are stored: the statements it wrote into, which of
// them it created and the final balances it replaced.
void RecordImport(Db& db, const SubmittedImport& import, const ImportNumbers& numbers);

// GetImportacoes, DesfazImportacao and GetResumoExtrato.
std::vector<Method> HistoryMethods();

}  // namespace server

#endif  // EXTRATO_SERVER_HISTORY_METHODS_H_
