#include "server/history_methods.h"

#include <map>
#include <set>
#include <utility>

#include <fmt/format.h>

#include "host/soci.h"
#include "server/account_version.h"
#include "server/query.h"
#include "server/statement_keys.h"
#include "server/write_transaction.h"

namespace server {

namespace {

using host::FieldType;
using nlohmann::json;

// What EXTRLOGIMP remembers of a statement an import wrote into.
const std::vector<host::FieldDef> kStatementFields = {
    {"CDREDUCONT", FieldType::kText, 3}, {"CDSEQUEXTR", FieldType::kText, 10},
    {"IDCRIADO", FieldType::kText, 1},   {"IDALTERADO", FieldType::kText, 1},
    {"DTSALDFIN", FieldType::kDate, 0},  {"VRSALDFIM", FieldType::kFloat, 0},
    {"IDEXTRFIM", FieldType::kText, 1}};

// The final balance a header change replaced, when the submission edited that header.
std::optional<host::Row> ReplacedFinalBalance(const host::ChangeSet* changes,
                                              const StatementKey& key) {
  if (changes == nullptr)
    return std::nullopt;
  const auto& fields = changes->fields;
  for (const host::Change& change : changes->changes) {
    if (change.op != host::ChangeOp::kModify)
      continue;
    if (TextField(fields, change.old_row, "CDREDUCONT") == key.first &&
        TextField(fields, change.old_row, "CDSEQUEXTR") == key.second) {
      host::Row old;
      for (std::string_view name : {"DTSALDFIN", "VRSALDFIM", "IDEXTRFIM"}) {
        std::size_t i = host::FieldIndex(fields, name);
        old.push_back(i < change.old_row.size() ? change.old_row[i] : host::FieldValue{});
      }
      return old;
    }
  }
  return std::nullopt;
}

SqlValue Nullable(const host::FieldValue& value) {
  if (std::holds_alternative<std::monostate>(value))
    return {"", soci::i_null};
  return ToSqlValue(value);
}

std::string LogOf(Db& db, const std::string& account) {
  return std::to_string(QueryNumber(
      db.session, "SELECT COALESCE(MAX(NRLOGIMP), 0) FROM LOGIMPEXTR WHERE CDREDUCONT = :conta",
      {TextValue(account)}));
}

// The time a write commits: PostgreSQL's CURRENT_TIMESTAMP is when its transaction
// began, before the wait for the account's lock.
std::string Now(Dialect dialect) {
  return dialect == Dialect::kSqlite ? "CURRENT_TIMESTAMP" : "clock_timestamp()";
}

// Whether the import created the header, and the final balance it replaced. A client
// that sends its header changes says which it inserted; for an older one, whose
// headers were stored before, a statement without an earlier movement was new.
void RememberStatement(Db& db, const std::string& log, const StatementKey& key,
                       const SubmittedImport& import) {
  bool created;
  if (import.context) {
    created = import.headers && InsertsStatement(*import.headers, key);
  } else {
    created = QueryNumber(db.session,
                          "SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = :conta AND "
                          "CDSEQUEXTR = :extrato AND NRLOGIMP <> :log",
                          {TextValue(key.first), TextValue(key.second), TextValue(log)}) == 0;
  }
  std::optional<host::Row> replaced =
      created ? std::nullopt : ReplacedFinalBalance(import.headers, key);
  host::Row old = replaced.value_or(host::Row(3));
  Execute(
      db.session,
      "INSERT INTO EXTRLOGIMP (NRLOGIMP, CDREDUCONT, CDSEQUEXTR, IDCRIADO, IDALTERADO, "
      "DTSALDFIN, VRSALDFIM, IDEXTRFIM) VALUES (:log, :conta, :extrato, :criado, :alterado, "
      ":data, :valor, :dc)",
      {TextValue(log), TextValue(key.first), TextValue(key.second), TextValue(created ? "S" : "N"),
       TextValue(replaced ? "S" : "N"), Nullable(old[0]), Nullable(old[1]), Nullable(old[2])});
}

// --- Listing ---

const std::vector<host::FieldDef> kImportFields = {
    {"NRLOGIMP", FieldType::kText, 20},     {"DTHRIMPORT", FieldType::kText, 30},
    {"NMARQUIVO", FieldType::kText, 255},   {"CDBANCO", FieldType::kText, 3},
    {"CDREDUCONT", FieldType::kText, 3},    {"NMCONTCORR", FieldType::kText, 40},
    {"QTEXTRATOS", FieldType::kText, 10},   {"DTINICIO", FieldType::kDate, 0},
    {"DTFIM", FieldType::kDate, 0},         {"QTMOVREAL", FieldType::kText, 10},
    {"DTHRDESFEITA", FieldType::kText, 30}, {"NMUSUARIO", FieldType::kText, 30},
    {"NMUSUDESFEZ", FieldType::kText, 30}};

std::string TimeText(Dialect dialect, std::string_view column) {
  if (dialect == Dialect::kSqlite)
    return std::string(column);
  return fmt::format("to_char({} AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS')", column);
}

// Newest first.
Result GetImportacoes(Db& db, const Arguments&) {
  return host::ToJson(QueryPacket(
      db.session,
      fmt::format(
          "SELECT CAST(L.NRLOGIMP AS VARCHAR(20)), {}, L.NMARQUIVO, C.CDBANCO, L.CDREDUCONT, "
          "C.NMCONTCORR, CAST((SELECT COUNT(*) FROM EXTRLOGIMP E WHERE E.NRLOGIMP = L.NRLOGIMP) "
          "AS VARCHAR(10)), COALESCE(L.DTINICIO, (SELECT MIN(M.DTMOVREAL) FROM MOVREAL M WHERE "
          "M.NRLOGIMP = L.NRLOGIMP)), COALESCE(L.DTFIM, (SELECT MAX(M.DTMOVREAL) FROM MOVREAL M "
          "WHERE M.NRLOGIMP = L.NRLOGIMP)), "
          "CAST(L.QTMOVREAL AS VARCHAR(10)), {}, L.NMUSUARIO, L.NMUSUDESFEZ FROM LOGIMPEXTR L "
          "LEFT JOIN CONTCORR C ON "
          "C.CDREDUCONT = L.CDREDUCONT ORDER BY L.NRLOGIMP DESC",
          TimeText(db.dialect, "L.DTHRIMPORT"), TimeText(db.dialect, "L.DTHRDESFEITA")),
      {}, kImportFields));
}

// --- Undo ---

struct LoggedImport {
  bool found = false;
  bool undone = false;
  std::string account;
};

LoggedImport FindImport(Db& db, const std::string& log) {
  host::Packet rows =
      QueryPacket(db.session,
                  fmt::format("SELECT CDREDUCONT, {} FROM LOGIMPEXTR WHERE NRLOGIMP = :log",
                              TimeText(db.dialect, "DTHRDESFEITA")),
                  {TextValue(log)},
                  {{"CDREDUCONT", FieldType::kText, 3}, {"DTHRDESFEITA", FieldType::kText, 30}});
  if (rows.rows.empty())
    return {};
  const host::Row& row = rows.rows[0];
  return {true, !std::holds_alternative<std::monostate>(row[1]), std::get<std::string>(row[0])};
}

// The first import after `log`, not undone, that wrote into the statement (and, with
// `replacing`, replaced its final balance); 0 when none did.
long long NextImportOf(Db& db, const std::string& log, const std::vector<SqlValue>& key,
                       bool replacing) {
  std::vector<SqlValue> params = key;
  params.push_back(TextValue(log));
  return QueryNumber(db.session,
                     fmt::format("SELECT COALESCE(MIN(E.NRLOGIMP), 0) FROM EXTRLOGIMP E JOIN "
                                 "LOGIMPEXTR L ON L.NRLOGIMP = E.NRLOGIMP WHERE E.CDREDUCONT = "
                                 ":conta AND E.CDSEQUEXTR = :extrato AND E.NRLOGIMP > :log AND "
                                 "L.DTHRDESFEITA IS NULL{}",
                                 replacing ? " AND E.IDALTERADO = 'S'" : ""),
                     std::move(params));
}

// Puts a statement back as it was before the import. A header the import created goes
// when nothing else is left in it; while a later import still holds it, that import
// becomes its creator. A final balance the import replaced comes back, unless a later
// import replaced it again: that one then remembers the older value as its own.
int RestoreStatement(Db& db, const std::string& log, const host::Row& statement) {
  const std::string& account = std::get<std::string>(statement[0]);
  const std::string& code = std::get<std::string>(statement[1]);
  std::vector<SqlValue> key = {TextValue(account), TextValue(code)};
  auto with_key = [&key](std::vector<SqlValue> values) {
    values.insert(values.end(), key.begin(), key.end());
    return values;
  };
  if (TextField(kStatementFields, statement, "IDCRIADO") == "S") {
    if (long long next = NextImportOf(db, log, key, false)) {
      Execute(db.session,
              "UPDATE EXTRLOGIMP SET IDCRIADO = 'S', IDALTERADO = 'N' WHERE NRLOGIMP = :log AND "
              "CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
              with_key({TextValue(std::to_string(next))}));
      return 0;
    }
    long long left = QueryNumber(
        db.session,
        "SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato", key);
    if (left > 0)
      return 0;
    Execute(db.session, "DELETE FROM EXTRBANCO WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
            key);
    return 1;
  }
  if (TextField(kStatementFields, statement, "IDALTERADO") != "S")
    return 0;
  std::vector<SqlValue> old = {Nullable(statement[4]), Nullable(statement[5]),
                               Nullable(statement[6])};
  if (long long next = NextImportOf(db, log, key, true)) {
    old.push_back(TextValue(std::to_string(next)));
    Execute(db.session,
            "UPDATE EXTRLOGIMP SET DTSALDFIN = :data, VRSALDFIM = :valor, IDEXTRFIM = :dc WHERE "
            "NRLOGIMP = :log AND CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
            with_key(std::move(old)));
  } else {
    Execute(db.session,
            "UPDATE EXTRBANCO SET DTSALDFIN = :data, VRSALDFIM = :valor, IDEXTRFIM = :dc WHERE "
            "CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
            with_key(std::move(old)));
  }
  return 0;
}

// Under the account's lock, so that an import storing into the same statements at the
// same time either commits before (and its movements keep the header) or reads again.
Result DesfazImportacao(Db& db, const Arguments& args) {
  const std::string& log = args.Text(0);
  if (log.empty() || log.find_first_not_of("0123456789") != std::string::npos)
    return Failure{fmt::format("Número de importação inválido: \"{}\".", log)};
  WriteTransaction transaction(db.session, db.dialect);
  LoggedImport logged = FindImport(db, log);
  if (!logged.found)
    return Failure{fmt::format("A importação {} não existe (veja extrato importacoes).", log)};
  LockAccounts(db.session, db.dialect, {logged.account});
  if (FindImport(db, log).undone)
    return Failure{fmt::format("A importação {} já foi desfeita.", log)};
  long long reconciled = QueryNumber(
      db.session,
      "SELECT COUNT(*) FROM MOVREAL WHERE NRLOGIMP = :log AND COALESCE(IDSTCONMVBAN, '0') <> '0'",
      {TextValue(log)});
  if (reconciled > 0) {
    return Failure{fmt::format(
        "A importação {} não pode ser desfeita: {} movimento(s) dela já não estão pendentes de "
        "conciliação.",
        log, reconciled)};
  }
  Execute(db.session,
          "UPDATE LOGIMPEXTR SET DTINICIO = (SELECT MIN(M.DTMOVREAL) FROM MOVREAL M WHERE "
          "M.NRLOGIMP = :log), DTFIM = (SELECT MAX(M.DTMOVREAL) FROM MOVREAL M WHERE M.NRLOGIMP = "
          ":log2) WHERE NRLOGIMP = :log3",
          {TextValue(log), TextValue(log), TextValue(log)});
  long long movements =
      Execute(db.session, "DELETE FROM MOVREAL WHERE NRLOGIMP = :log", {TextValue(log)});
  host::Packet statements = QueryPacket(
      db.session,
      "SELECT CDREDUCONT, CDSEQUEXTR, IDCRIADO, IDALTERADO, DTSALDFIN, VRSALDFIM, IDEXTRFIM "
      "FROM EXTRLOGIMP WHERE NRLOGIMP = :log",
      {TextValue(log)}, kStatementFields);
  int headers = 0;
  for (const host::Row& statement : statements.rows)
    headers += RestoreStatement(db, log, statement);
  RaiseAccountVersions(db.session, {logged.account});
  Execute(db.session,
          fmt::format("UPDATE LOGIMPEXTR SET DTHRDESFEITA = {}, NMUSUDESFEZ = :usuario WHERE "
                      "NRLOGIMP = :log",
                      Now(db.dialect)),
          {TextValue(std::string(db.user)), TextValue(log)});
  transaction.Commit();
  return json{{"movements", movements}, {"statements", headers}};
}

// Sums of a statement's movements: all of them, for the balance check, and those
// the account's newest import stored.
Result GetResumoExtrato(Db& db, const Arguments& args) {
  // One pass over the statement's movements, not one a sum.
  std::string log = LogOf(db, args.Text(0));
  host::Packet sums = QueryPacket(
      db.session,
      "SELECT SUM(CASE WHEN IDMOVREAL = 'C' THEN VRMOVREAL END), "
      "SUM(CASE WHEN IDMOVREAL = 'D' THEN VRMOVREAL END), "
      "SUM(CASE WHEN IDMOVREAL = 'C' AND NRLOGIMP = :log THEN VRMOVREAL END), "
      "SUM(CASE WHEN IDMOVREAL = 'D' AND NRLOGIMP = :log2 THEN VRMOVREAL END) "
      "FROM MOVREAL WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
      {TextValue(log), TextValue(log), TextValue(args.Text(0)), TextValue(args.Text(1))},
      {{"CREDITOS", FieldType::kFloat, 0},
       {"DEBITOS", FieldType::kFloat, 0},
       {"CREDITOS_GRAVADOS", FieldType::kFloat, 0},
       {"DEBITOS_GRAVADOS", FieldType::kFloat, 0}});
  auto sum = [&](std::size_t i) {
    const auto* value = std::get_if<double>(&sums.rows.at(0).at(i));
    return value ? *value : 0.0;
  };
  return json{{"credits", sum(0)},
              {"debits", sum(1)},
              {"stored_credits", sum(2)},
              {"stored_debits", sum(3)}};
}

}  // namespace

ImportNumbers LogImport(Db& db, const SubmittedImport& import) {
  std::map<std::string, int> counts = MovementsPerAccount(import.movements);
  AccountSet accounts;
  for (const auto& [account, count] : counts)
    accounts.insert(account);
  if (import.headers != nullptr) {
    for (const auto& [account, code] : ChangedStatements(*import.headers))
      accounts.insert(account);
  }
  SqlValue file = import.context && !import.context->file.empty() ? TextValue(import.context->file)
                                                                  : SqlValue{"", soci::i_null};
  SqlValue repeated = import.import_repeated ? TextValue(*import.import_repeated ? "S" : "N")
                                             : SqlValue{"", soci::i_null};
  ImportNumbers numbers;
  for (const std::string& account : accounts) {
    Execute(db.session,
            fmt::format("INSERT INTO LOGIMPEXTR (DTHRIMPORT, NMMETODO, CDREDUCONT, QTMOVREAL, "
                        "IDIMPIGUAIS, NMARQUIVO, NMUSUARIO) VALUES ({}, :metodo, :conta, "
                        ":quantidade, :iguais, :arquivo, :usuario)",
                        Now(db.dialect)),
            {TextValue(std::string(import.method)), TextValue(account),
             TextValue(std::to_string(counts[account])), repeated, file,
             TextValue(std::string(db.user))});
    numbers[account] = LogOf(db, account);
  }
  return numbers;
}

void RecordImport(Db& db, const SubmittedImport& import, const ImportNumbers& numbers) {
  std::set<StatementKey> statements = MovementStatements(import.movements);
  if (import.headers != nullptr)
    statements.merge(ChangedStatements(*import.headers));
  for (const StatementKey& key : statements)
    RememberStatement(db, numbers.at(key.first), key, import);
}

std::vector<Method> HistoryMethods() {
  return {
      {"GetImportacoes", {}, GetImportacoes},
      {"DesfazImportacao", {{ArgKind::kText, "número da importação", 20}}, DesfazImportacao},
      {"GetResumoExtrato",
       {{ArgKind::kText, "código reduzido da conta", 3}, {ArgKind::kText, "extrato", 10}},
       GetResumoExtrato},
  };
}

}  // namespace server
