// SetDiretorio, SetExtrBanco, Set_Real_Bradesco and SetFebraban.
#include <optional>

#include <fmt/format.h>

#include "server/account_version.h"
#include "server/change_writer.h"
#include "server/history_methods.h"
#include "server/import_context.h"
#include "server/methods.h"
#include "server/movement_writer.h"
#include "server/query.h"
#include "server/statement_keys.h"
#include "server/stored_movements.h"
#include "server/tables.h"
#include "server/write_transaction.h"

namespace server {

namespace {

using nlohmann::json;

// A change set of one table, all of it or nothing.
Result StoreChanges(Db& db, const Table& table, const host::ChangeSet& changes,
                    StoredKey stored_key = StoredKey::kRefuse) {
  WriteTransaction transaction(db.session, db.dialect);
  Status status = ApplyChangeSet(db.session, table, changes, stored_key);
  if (!status.ok())
    return status.failure();
  transaction.Commit();
  return json(nullptr);
}

// Two first imports at once both insert the folder; remembering it must fail neither.
Result SetDiretorio(Db& db, const Arguments& args) {
  return StoreChanges(db, kDiretorioTable, *args.ChangeSetAt(0), StoredKey::kUpdate);
}

constexpr Param kContext{ArgKind::kObject, "contexto da importação", 0, kOptional};

// The accounts a submission writes into: those of its movements and of its headers.
AccountSet WrittenAccounts(const host::PackedPacket& movements, const host::ChangeSet* headers) {
  AccountSet accounts = MovementAccounts(movements);
  if (headers != nullptr) {
    for (const auto& [account, code] : ChangedStatements(*headers))
      accounts.insert(account);
  }
  return accounts;
}

// Older clients save headers on their own; the imports reading the account must know.
Result SetExtrBanco(Db& db, const Arguments& args) {
  const host::ChangeSet& changes = *args.ChangeSetAt(0);
  WriteTransaction transaction(db.session, db.dialect);
  AccountSet accounts = WrittenAccounts({}, &changes);
  LockAccounts(db.session, db.dialect, accounts);
  Status status = ApplyChangeSet(db.session, kExtrBancoTable, changes);
  if (!status.ok())
    return status.failure();
  RaiseAccountVersions(db.session, accounts);
  transaction.Commit();
  return json(nullptr);
}

// The first account whose version moved since the client read it.
std::optional<std::string> ChangedAccount(Db& db, const ImportContext& context) {
  for (const auto& [account, version] : context.versions) {
    if (AccountVersion(db.session, account) != version)
      return account;
  }
  return std::nullopt;
}

// The answer to a client whose reads no longer hold: it reads its file again.
nlohmann::json AccountChanged(const std::string& account) {
  return {{"conta_alterada", account}};
}

// The header changes, then every movement, in one transaction under the accounts'
// locks. False, with nothing stored, when a movement's key repeats within the packet
// or is stored already, or, for an older client and unless `store_found` says its user
// agreed, when a movement matches a stored one as the duplicate lookup finds it.
//
// A client that sends its context (the accounts' versions it read) is told instead
// when another write into one of its accounts committed after it read: what it
// decided from its reads (statement codes, numbers, movements stored already) may no
// longer hold, and it runs its file again. Nothing is written then.
Result Submit(Db& db, std::string_view method, const Arguments& args,
              std::optional<bool> import_repeated, bool store_found, std::size_t context_at) {
  auto context = ReadImportContext(args.ObjectAt(context_at));
  if (!context.ok())
    return Failure{fmt::format("Argumento {} de {} ({}): {}", context_at + 1, method,
                               kContext.label, context.error())};
  const host::PackedPacket& movements = args.PacketAt(0);
  const host::ChangeSet* headers = args.ChangeSetAt(1);
  AccountSet written = WrittenAccounts(movements, headers);
  AccountSet locked = written;
  if (context.value()) {
    for (const auto& [account, version] : context.value()->versions)
      locked.insert(account);
  }
  WriteTransaction transaction(db.session, db.dialect);
  LockAccounts(db.session, db.dialect, locked);
  bool refuse_stored = !store_found;
  if (context.value()) {
    if (auto changed = ChangedAccount(db, *context.value()))
      return AccountChanged(*changed);
    // The client looked every movement up: one found now came in between, and the
    // client's next run passes it over.
    if (AnyStored(db.session, movements))
      return AccountChanged(*written.begin());
    refuse_stored = false;
  }
  if (headers != nullptr) {
    Status status = ApplyChangeSet(db.session, kExtrBancoTable, *headers);
    if (!status.ok())
      return status.failure();
  }
  Expected<bool> fit = MovementsFit(db.session, movements, refuse_stored);
  if (!fit.ok())
    return fit.failure();
  if (!fit.value())
    return json(false);
  SubmittedImport import{method, movements, headers, import_repeated, context.value()};
  ImportNumbers numbers = LogImport(db, import);
  if (!InsertMovements(db.session, movements, numbers))
    return json(false);
  RaiseAccountVersions(db.session, written);
  RecordImport(db, import, numbers);
  // A preview ends as the import would, and the transaction rolls back.
  if (context.value() && context.value()->trial)
    return json(true);
  transaction.Commit();
  return json(true);
}

Result SetRealBradesco(Db& db, const Arguments& args) {
  return Submit(db, "Set_Real_Bradesco", args, std::nullopt, false, 2);
}

// The fourth argument, which older clients do not send, is the user's "Sim" to
// storing movements that the lookup found stored.
Result SetFebraban(Db& db, const Arguments& args) {
  return Submit(db, "SetFebraban", args, args.Boolean(2), args.Boolean(3), 4);
}

constexpr Param kMovements{ArgKind::kPacket, "movimentos"};
constexpr Param kHeaderChanges{ArgKind::kChangeSetOrNull, "alterações do extrato"};

}  // namespace

std::vector<Method> StoreMethods() {
  return {
      {"SetDiretorio", {{ArgKind::kChangeSet, "alterações do diretório"}}, SetDiretorio},
      {"SetExtrBanco", {{ArgKind::kChangeSet, "alterações do extrato"}}, SetExtrBanco},
      {"Set_Real_Bradesco", {kMovements, kHeaderChanges, kContext}, SetRealBradesco},
      {"SetFebraban",
       {kMovements,
        kHeaderChanges,
        {ArgKind::kBoolean, "importar movimentos iguais"},
        {ArgKind::kBoolean, "importar movimentos já gravados", 0, kOptional},
        kContext},
       SetFebraban},
  };
}

}  // namespace server
