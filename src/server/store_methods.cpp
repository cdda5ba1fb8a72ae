// SetDiretorio, SetExtrBanco, Set_Real_Bradesco and SetFebraban.
#include <algorithm>
#include <map>
#include <optional>

#include "server/change_writer.h"
#include "server/history_methods.h"
#include "server/methods.h"
#include "server/movement_writer.h"
#include "server/query.h"
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

Result SetExtrBanco(Db& db, const Arguments& args) {
  return StoreChanges(db, kExtrBancoTable, *args.ChangeSetAt(0));
}

// One log row per account of the submission, with its movement count.
void LogImport(Db& db, std::string_view method, const host::PackedPacket& movements,
               std::optional<bool> import_repeated) {
  // Stored rows always have the field; an empty packet may come without it.
  auto account_field =
      std::find_if(movements.fields.begin(), movements.fields.end(),
                   [](const host::FieldDef& f) { return f.name == "CDREDUCONT"; }) -
      movements.fields.begin();
  std::map<std::string, int> counts;
  for (const host::Row& row : movements.rows) {
    ++counts[std::get<std::string>(row[account_field])];
  }
  for (const auto& [account, count] : counts) {
    Execute(
        db.session,
        "INSERT INTO LOGIMPEXTR (DTHRIMPORT, NMMETODO, CDREDUCONT, QTMOVREAL, IDIMPIGUAIS, "
        "NMUSUARIO) VALUES (CURRENT_TIMESTAMP, :metodo, :conta, :quantidade, :iguais, :usuario)",
        {TextValue(std::string(method)), TextValue(account), TextValue(std::to_string(count)),
         import_repeated ? TextValue(*import_repeated ? "S" : "N") : SqlValue{"", soci::i_null},
         TextValue(std::string(db.user))});
  }
}

// The header changes, then every movement, in one transaction. False, with nothing
// stored, when a movement's key repeats within the packet or is stored already, or,
// unless `store_found` says the user agreed, when a movement matches a stored one as
// the duplicate lookup finds it. Submissions for one account run one at a time, so
// two clients that looked up before either stored cannot both store a movement.
Result Submit(Db& db, std::string_view method, const Arguments& args,
              std::optional<bool> import_repeated, bool store_found) {
  const host::PackedPacket& movements = args.PacketAt(0);
  WriteTransaction transaction(db.session, db.dialect);
  LockAccounts(db.session, db.dialect, movements);
  if (const host::ChangeSet* header = args.ChangeSetAt(1)) {
    Status status = ApplyChangeSet(db.session, kExtrBancoTable, *header);
    if (!status.ok())
      return status.failure();
  }
  Expected<bool> stored = InsertMovements(db.session, movements, !store_found);
  if (!stored.ok())
    return stored.failure();
  if (!stored.value())
    return json(false);
  LogImport(db, method, movements, import_repeated);
  RecordImport(db, movements, args.ChangeSetAt(1));
  transaction.Commit();
  return json(true);
}

Result SetRealBradesco(Db& db, const Arguments& args) {
  return Submit(db, "Set_Real_Bradesco", args, std::nullopt, false);
}

// The fourth argument, which older clients do not send, is the user's "Sim" to
// storing movements that the lookup found stored.
Result SetFebraban(Db& db, const Arguments& args) {
  return Submit(db, "SetFebraban", args, args.Boolean(2), args.Boolean(3));
}

constexpr Param kMovements{ArgKind::kPacket, "movimentos"};
constexpr Param kHeaderChanges{ArgKind::kChangeSetOrNull, "alterações do extrato"};

}  // namespace

std::vector<Method> StoreMethods() {
  return {
      {"SetDiretorio", {{ArgKind::kChangeSet, "alterações do diretório"}}, SetDiretorio},
      {"SetExtrBanco", {{ArgKind::kChangeSet, "alterações do extrato"}}, SetExtrBanco},
      {"Set_Real_Bradesco", {kMovements, kHeaderChanges}, SetRealBradesco},
      {"SetFebraban",
       {kMovements,
        kHeaderChanges,
        {ArgKind::kBoolean, "importar movimentos iguais"},
        {ArgKind::kBoolean, "importar movimentos já gravados", 0, kOptional}},
       SetFebraban},
  };
}

}  // namespace server
