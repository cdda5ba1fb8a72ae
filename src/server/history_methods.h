// What each import stored, listed and undone.
#ifndef EXTRATO_SERVER_HISTORY_METHODS_H_
#define EXTRATO_SERVER_HISTORY_METHODS_H_

#include <vector>

#include "host/packed_row.h"
#include "server/methods.h"

namespace server {

// Inside a submission's transaction, after its movements and log rows are stored:
// marks each movement with its account's log row, and remembers the statements it
// stored into, which of them it created, and the final balances it replaced.
void RecordImport(Db& db, const host::PackedPacket& movements,
                  const host::ChangeSet* header_changes);

// GetImportacoes, DesfazImportacao and SetArquivoImportacao.
std::vector<Method> HistoryMethods();

}  // namespace server

#endif  // EXTRATO_SERVER_HISTORY_METHODS_H_
