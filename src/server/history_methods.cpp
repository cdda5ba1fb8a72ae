#include "server/history_methods.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include <fmt/format.h>

#include "host/soci.h"
#include "server/query.h"
#include "server/write_transaction.h"

namespace server {

namespace {

using host::FieldType;
using nlohmann::json;

using StatementKey = std::pair<std::string, std::string>;  // account, statement code

std::size_t FieldIndex(const std::vector<host::FieldDef>& fields, std::string_view name) {
  return static_cast<std::size_t>(
      std::find_if(fields.begin(), fields.end(),
                   [&](const host::FieldDef& f) { return f.name == name; }) -
      fields.begin());
}

std::string TextAt(const host::Row& row, std::size_t i) {
  if (i >= row.size())
    return "";
  const auto* text = std::get_if<std::string>(&row[i]);
  return text ? *text : "";
}

std::set<StatementKey> Statements(const host::PackedPacket& movements) {
  std::size_t account = FieldIndex(movements.fields, "CDREDUCONT");
  std::size_t statement = FieldIndex(movements.fields, "CDSEQUEXTR");
  std::set<StatementKey> keys;
  for (const host::Row& row : movements.rows)
    keys.insert({TextAt(row, account), TextAt(row, statement)});
  return keys;
}

// The final balance a header change replaced, when the submission edited that header.
std::optional<host::Row> ReplacedFinalBalance(const host::ChangeSet* changes,
                                              const StatementKey& key) {
  if (changes == nullptr)
    return std::nullopt;
  const auto& fields = changes->fields;
  for (const host::Change& change : changes->changes) {
    if (change.op != host::ChangeOp::kModify)
      continue;
    if (TextAt(change.old_row, FieldIndex(fields, "CDREDUCONT")) == key.first &&
        TextAt(change.old_row, FieldIndex(fields, "CDSEQUEXTR")) == key.second) {
      host::Row old;
      for (std::string_view name : {"DTSALDFIN", "VRSALDFIM", "IDEXTRFIM"}) {
        std::size_t i = FieldIndex(fields, name);
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

void RememberStatement(Db& db, const std::string& log, const StatementKey& key,
                       const host::ChangeSet* header_changes) {
  long long older = QueryNumber(db.session,
                                "SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = :conta AND "
                                "CDSEQUEXTR = :extrato AND NRLOGIMP <> :log",
                                {TextValue(key.first), TextValue(key.second), TextValue(log)});
  std::optional<host::Row> replaced = ReplacedFinalBalance(header_changes, key);
  host::Row old = replaced.value_or(host::Row(3));
  Execute(db.session,
          "INSERT INTO EXTRLOGIMP (NRLOGIMP, CDREDUCONT, CDSEQUEXTR, IDCRIADO, IDALTERADO, "
          "DTSALDFIN, VRSALDFIM, IDEXTRFIM) VALUES (:log, :conta, :extrato, :criado, :alterado, "
          ":data, :valor, :dc)",
          {TextValue(log), TextValue(key.first), TextValue(key.second),
           TextValue(older == 0 ? "S" : "N"), TextValue(replaced ? "S" : "N"), Nullable(old[0]),
           Nullable(old[1]), Nullable(old[2])});
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
          "AS VARCHAR(10)), (SELECT MIN(M.DTMOVREAL) FROM MOVREAL M WHERE M.NRLOGIMP = "
          "L.NRLOGIMP), (SELECT MAX(M.DTMOVREAL) FROM MOVREAL M WHERE M.NRLOGIMP = L.NRLOGIMP), "
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
};

LoggedImport FindImport(Db& db, const std::string& log) {
  host::Packet rows = QueryPacket(db.session,
                                  fmt::format("SELECT {} FROM LOGIMPEXTR WHERE NRLOGIMP = :log",
                                              TimeText(db.dialect, "DTHRDESFEITA")),
                                  {TextValue(log)}, {{"DTHRDESFEITA", FieldType::kText, 30}});
  if (rows.rows.empty())
    return {};
  return {true, !std::holds_alternative<std::monostate>(rows.rows[0][0])};
}

// Puts a statement back as it was: gone when the import created it and left it
// empty, its old final balance when the import replaced it.
int RestoreStatement(Db& db, const host::Row& statement) {
  const std::string& account = std::get<std::string>(statement[0]);
  const std::string& code = std::get<std::string>(statement[1]);
  std::vector<SqlValue> key = {TextValue(account), TextValue(code)};
  long long left = QueryNumber(
      db.session,
      "SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato", key);
  if (left == 0 && TextAt(statement, 2) == "S") {
    Execute(db.session, "DELETE FROM EXTRBANCO WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
            key);
    return 1;
  }
  if (TextAt(statement, 3) == "S") {
    Execute(db.session,
            "UPDATE EXTRBANCO SET DTSALDFIN = :data, VRSALDFIM = :valor, IDEXTRFIM = :dc WHERE "
            "CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
            {Nullable(statement[4]), Nullable(statement[5]), Nullable(statement[6]),
             TextValue(account), TextValue(code)});
  }
  return 0;
}

Result DesfazImportacao(Db& db, const Arguments& args) {
  const std::string& log = args.Text(0);
  if (log.empty() || log.find_first_not_of("0123456789") != std::string::npos)
    return Failure{fmt::format("Número de importação inválido: \"{}\".", log)};
  WriteTransaction transaction(db.session, db.dialect);
  LoggedImport logged = FindImport(db, log);
  if (!logged.found)
    return Failure{fmt::format("A importação {} não existe (veja extrato importacoes).", log)};
  if (logged.undone)
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
  long long movements =
      Execute(db.session, "DELETE FROM MOVREAL WHERE NRLOGIMP = :log", {TextValue(log)});
  host::Packet statements = QueryPacket(
      db.session,
      "SELECT CDREDUCONT, CDSEQUEXTR, IDCRIADO, IDALTERADO, DTSALDFIN, VRSALDFIM, IDEXTRFIM "
      "FROM EXTRLOGIMP WHERE NRLOGIMP = :log",
      {TextValue(log)},
      {{"CDREDUCONT", FieldType::kText, 3},
       {"CDSEQUEXTR", FieldType::kText, 10},
       {"IDCRIADO", FieldType::kText, 1},
       {"IDALTERADO", FieldType::kText, 1},
       {"DTSALDFIN", FieldType::kDate, 0},
       {"VRSALDFIM", FieldType::kFloat, 0},
       {"IDEXTRFIM", FieldType::kText, 1}});
  int headers = 0;
  for (const host::Row& statement : statements.rows)
    headers += RestoreStatement(db, statement);
  Execute(db.session,
          "UPDATE LOGIMPEXTR SET DTHRDESFEITA = CURRENT_TIMESTAMP, NMUSUDESFEZ = :usuario "
          "WHERE NRLOGIMP = :log",
          {TextValue(std::string(db.user)), TextValue(log)});
  transaction.Commit();
  return json{{"movements", movements}, {"statements", headers}};
}

// The front end names the file of the account's newest import that has none.
Result SetArquivoImportacao(Db& db, const Arguments& args) {
  long long changed = Execute(
      db.session,
      "UPDATE LOGIMPEXTR SET NMARQUIVO = :arquivo WHERE NRLOGIMP = (SELECT MAX(NRLOGIMP) FROM "
      "LOGIMPEXTR WHERE CDREDUCONT = :conta AND NMARQUIVO IS NULL)",
      {TextValue(args.Text(1)), TextValue(args.Text(0))});
  return json(changed > 0);
}

// Sums of a statement's movements: all of them, for the balance check, and those
// the account's newest import stored.
Result GetResumoExtrato(Db& db, const Arguments& args) {
  std::vector<SqlValue> key = {TextValue(args.Text(0)), TextValue(args.Text(1))};
  auto sum = [&](const char* kind, bool newest) {
    std::vector<SqlValue> params = key;
    params.push_back(TextValue(kind));
    std::string newest_only;
    if (newest) {
      newest_only = " AND NRLOGIMP = :log";
      params.push_back(TextValue(LogOf(db, args.Text(0))));
    }
    host::Packet total = QueryPacket(
        db.session,
        "SELECT SUM(VRMOVREAL) FROM MOVREAL WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato "
        "AND IDMOVREAL = :dc" +
            newest_only,
        std::move(params), {{"TOTAL", FieldType::kFloat, 0}});
    const auto* value = std::get_if<double>(&total.rows.at(0).at(0));
    return value ? *value : 0.0;
  };
  return json{{"credits", sum("C", false)},
              {"debits", sum("D", false)},
              {"stored_credits", sum("C", true)},
              {"stored_debits", sum("D", true)}};
}

}  // namespace

void RecordImport(Db& db, const host::PackedPacket& movements,
                  const host::ChangeSet* header_changes) {
  std::set<StatementKey> statements = Statements(movements);
  std::map<std::string, std::string> logs;
  for (const auto& [account, code] : statements) {
    if (logs.count(account))
      continue;
    std::string log = LogOf(db, account);
    logs[account] = log;
    Execute(db.session,
            "UPDATE MOVREAL SET NRLOGIMP = :log WHERE CDREDUCONT = :conta AND NRLOGIMP IS NULL",
            {TextValue(log), TextValue(account)});
  }
  for (const StatementKey& key : statements)
    RememberStatement(db, logs[key.first], key, header_changes);
}

std::vector<Method> HistoryMethods() {
  return {
      {"GetImportacoes", {}, GetImportacoes},
      {"DesfazImportacao", {{ArgKind::kText, "número da importação", 20}}, DesfazImportacao},
      {"GetResumoExtrato",
       {{ArgKind::kText, "código reduzido da conta", 3}, {ArgKind::kText, "extrato", 10}},
       GetResumoExtrato},
      {"SetArquivoImportacao",
       {{ArgKind::kText, "código reduzido da conta", 3}, {ArgKind::kText, "arquivo", 255}},
       SetArquivoImportacao},
  };
}

}  // namespace server
