// GetDiretorio, GetIdLayout, GetMaskCont, GetContCorr, GetVerificaContCorr and the
// screen's bank lookup (GetBanco).
#include <array>

#include <fmt/format.h>

#include "host/utf8.h"
#include "server/methods.h"
#include "server/query.h"
#include "server/tables.h"

namespace server {

namespace {

using host::FieldType;
using nlohmann::json;

const std::vector<host::FieldDef> kMaskContFields = {
    {"CDBANCO", FieldType::kText, 3},
    {"CDBANCCNAB", FieldType::kText, 3},
    {"CDPICTCONT", FieldType::kText, 20},
};
const std::vector<host::FieldDef> kBancoFields = {
    {"CDBANCO", FieldType::kText, 3},
    {"NMBANCO", FieldType::kText, 30},
    {"CDBANCCNAB", FieldType::kText, 3},
};
const std::vector<host::FieldDef> kContCorrFields = {{"CDREDUCONT", FieldType::kText, 3}};

// The columns an account is looked up by, in the order the methods take them.
constexpr std::array<std::string_view, 4> kAccountColumns = {"CDBANCO", "CDAGENCIA", "NRCONTCORR",
                                                             "IDTIPOCONTA"};

Result GetDiretorio(Db& db, const Arguments& args) {
  return host::ToJson(QueryPacket(
      db.session, "SELECT CDPROGRAMA, DSDIRETORIO FROM DIRETORIO WHERE CDPROGRAMA = :programa",
      {TextValue(args.Text(0))}, FieldDefs(kDiretorioTable)));
}

// The first element is the layout; "" when the company has none for the bank.
Result GetIdLayout(Db& db, const Arguments& args) {
  host::Packet layout = QueryPacket(
      db.session,
      "SELECT IDLAYOUT FROM LAYOUTBANCO WHERE CDEMPRESA = :empresa AND CDBANCO = :banco",
      {TextValue(args.Text(0)), TextValue(args.Text(1))}, {{"IDLAYOUT", FieldType::kText, 3}});
  std::string id;
  if (!layout.rows.empty()) {
    if (const auto* text = std::get_if<std::string>(&layout.rows[0][0]))
      id = *text;
  }
  return json::array({id});
}

// The screen's bank lookup for a workstation that reaches no database: the bank with
// this code, or every bank for "" (the lookup's null).
Result GetBanco(Db& db, const Arguments& args) {
  const std::string& code = args.Text(0);
  return host::ToJson(
      QueryPacket(db.session,
                  fmt::format("SELECT CDBANCO, NMBANCO, CDBANCCNAB FROM BANCO {} ORDER BY CDBANCO",
                              code.empty() ? "" : "WHERE CDBANCO = :banco"),
                  code.empty() ? std::vector<SqlValue>{} : std::vector<SqlValue>{TextValue(code)},
                  kBancoFields));
}

Result GetMaskCont(Db& db, const Arguments& args) {
  return host::ToJson(QueryPacket(
      db.session, "SELECT CDBANCO, CDBANCCNAB, CDPICTCONT FROM BANCO WHERE CDBANCO = :banco",
      {TextValue(args.Text(0))}, kMaskContFields));
}

// Importing into one of several matching accounts would mix their data, so a match
// must be unique.
Result UniqueAccount(Db& db, const std::string& where, std::vector<SqlValue> params) {
  host::Packet accounts = QueryPacket(
      db.session,
      fmt::format("SELECT CDREDUCONT FROM CONTCORR WHERE {} ORDER BY CDREDUCONT", where),
      std::move(params), kContCorrFields);
  if (accounts.rows.size() > 1) {
    return Failure{"Mais de uma conta corrente corresponde aos dados informados."};
  }
  return host::ToJson(accounts);
}

Result GetContCorr(Db& db, const Arguments& args) {
  std::string where;
  std::vector<SqlValue> params;
  for (std::size_t i = 0; i < kAccountColumns.size(); ++i) {
    where += fmt::format("{}{} = :p{}", i ? " AND " : "", kAccountColumns[i], i);
    params.push_back(TextValue(args.Text(i)));
  }
  return UniqueAccount(db, where, std::move(params));
}

// A text ending in "%" matches the values that begin with the rest of it; every other
// character, "%" and "_" included, matches only itself (no LIKE, which would read them
// as wildcards and, on SQLite, ignore letter case).
Result GetVerificaContCorr(Db& db, const Arguments& args) {
  std::string where = "1 = 1";
  std::vector<SqlValue> params;
  for (std::size_t i = 0; i < kAccountColumns.size(); ++i) {
    const TextMatch& match = args.Match(i);
    if (!match.prefix) {
      where += fmt::format(" AND {} = :p{}", kAccountColumns[i], i);
    } else if (!match.text.empty()) {
      where += fmt::format(" AND substr({}, 1, :n{}) = :p{}", kAccountColumns[i], i, i);
      params.push_back(TextValue(std::to_string(host::Utf8Length(match.text))));
    } else {
      continue;
    }
    params.push_back(TextValue(match.text));
  }
  return UniqueAccount(db, where, std::move(params));
}

constexpr std::string_view kBank = "código do banco";
constexpr std::string_view kAgency = "agência";
constexpr std::string_view kAccount = "número da conta";
constexpr std::string_view kAccountType = "tipo de conta";

}  // namespace

std::vector<Method> LookupMethods() {
  return {
      {"GetDiretorio", {{ArgKind::kText, "código da tela", 8}}, GetDiretorio},
      {"GetIdLayout",
       {{ArgKind::kText, "código da empresa", 10}, {ArgKind::kText, kBank, 3}},
       GetIdLayout},
      {"GetBanco", {{ArgKind::kText, kBank, 30}}, GetBanco},
      {"GetMaskCont", {{ArgKind::kText, kBank, 3}}, GetMaskCont},
      {"GetContCorr",
       {{ArgKind::kText, kBank, 3},
        {ArgKind::kText, kAgency, 5},
        {ArgKind::kText, kAccount, 20},
        {ArgKind::kText, kAccountType, 1}},
       GetContCorr},
      {"GetVerificaContCorr",
       {{ArgKind::kPattern, kBank, 3},
        {ArgKind::kPattern, kAgency, 5},
        {ArgKind::kPattern, kAccount, 20},
        {ArgKind::kPattern, kAccountType, 1}},
       GetVerificaContCorr},
  };
}

}  // namespace server
