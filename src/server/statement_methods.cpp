// GetPrxMovReal, GetExtrBanco, GetSequencia, GetPesqLanc and GetVersaoConta.
#include <fmt/format.h>

#include "server/account_version.h"
#include "server/methods.h"
#include "server/query.h"
#include "server/tables.h"

namespace server {

namespace {

using host::FieldType;

constexpr long long kLargestCode = 9'999'999'999;  // ten digits

// A code column read as a number: its digits, blanks around them ignored; 0 when it
// holds anything else.
std::string NumberOf(Dialect dialect, std::string_view column) {
  if (dialect == Dialect::kSqlite) {
    return fmt::format(
        "CASE WHEN TRIM({0}) <> '' AND TRIM({0}) NOT GLOB '*[^0-9]*' "
        "THEN CAST(TRIM({0}) AS INTEGER) ELSE 0 END",
        column);
  }
  return fmt::format("CASE WHEN TRIM({0}) ~ '^[0-9]+$' THEN CAST(TRIM({0}) AS BIGINT) ELSE 0 END",
                     column);
}

std::string TenDigits(long long number) {
  return fmt::format("{:010}", number);
}

// A movement may be stored under a code that has no header, so both tables count.
Result GetPrxMovReal(Db& db, const Arguments& args) {
  const std::string& account = args.Text(0);
  long long highest =
      QueryNumber(db.session,
                  fmt::format("SELECT COALESCE(MAX({}), 0) FROM ("
                              "SELECT CDSEQUEXTR FROM EXTRBANCO WHERE CDREDUCONT = :conta1 UNION "
                              "SELECT CDSEQUEXTR FROM MOVREAL WHERE CDREDUCONT = :conta2) codigos",
                              NumberOf(db.dialect, "CDSEQUEXTR")),
                  {TextValue(account), TextValue(account)});
  if (highest >= kLargestCode) {
    return Failure{
        fmt::format("A conta corrente {} não tem mais códigos de extrato livres (o último é {}).",
                    account, highest)};
  }
  return nlohmann::json(TenDigits(highest + 1));
}

Result GetExtrBanco(Db& db, const Arguments& args) {
  return host::ToJson(QueryPacket(db.session,
                                  "SELECT CDREDUCONT, CDSEQUEXTR, DTSALDINIC, DTSALDFIN, "
                                  "VRSALDINIC, VRSALDFIM, IDEXTRINI, IDEXTRFIM FROM EXTRBANCO "
                                  "WHERE CDREDUCONT = :conta AND DTSALDINIC = :data "
                                  "ORDER BY CDSEQUEXTR",
                                  {TextValue(args.Text(0)), TextValue(args.DateAt(1).ToIso())},
                                  FieldDefs(kExtrBancoTable)));
}

Result GetSequencia(Db& db, const Arguments& args) {
  long long last = QueryNumber(db.session,
                               fmt::format("SELECT COALESCE(MAX({}), 0) FROM MOVREAL "
                                           "WHERE CDREDUCONT = :conta AND CDSEQUEXTR = :extrato",
                                           NumberOf(db.dialect, "NRSEQMOVREAL")),
                               {TextValue(args.Text(0)), TextValue(args.Text(1))});
  host::Packet packet{{{"NRSEQMOV", FieldType::kText, 10}}, {{TenDigits(last)}}};
  return host::ToJson(packet);
}

Result GetPesqLanc(Db& db, const Arguments& args) {
  return host::ToJson(
      QueryPacket(db.session,
                  "SELECT CDREDUCONT, DTMOVREAL, NRDOCMOVREAL, VRMOVREAL FROM MOVREAL "
                  "WHERE CDREDUCONT = :conta AND NRDOCMOVREAL = :documento AND DTMOVREAL = :data "
                  "AND VRMOVREAL = :valor",
                  {TextValue(args.Text(0)), TextValue(args.Text(1)),
                   TextValue(args.DateAt(2).ToIso()), TextValue(CentsToText(args.Cents(3)))},
                  PesqLancFields()));
}

// Read by an import before anything else of the account, and sent back with its
// submission: see Submit.
Result GetVersaoConta(Db& db, const Arguments& args) {
  return nlohmann::json(AccountVersion(db.session, args.Text(0)));
}

constexpr std::string_view kReducedCode = "código reduzido da conta";
constexpr std::string_view kStatementCode = "código do extrato";

}  // namespace

const std::vector<host::FieldDef>& PesqLancFields() {
  static const std::vector<host::FieldDef> kFields = {
      {"CDREDUCONT", FieldType::kText, 3},
      {"DTMOVREAL", FieldType::kDate, 0},
      {"NRDOCMOVREAL", FieldType::kText, 20},
      {"VRMOVREAL", FieldType::kFloat, 0},
  };
  return kFields;
}

std::span<const Param> PesqLancParams() {
  static constexpr Param kParams[] = {
      {ArgKind::kText, kReducedCode, 3},
      {ArgKind::kText, "número do documento", 20},
      {ArgKind::kDate, "data do movimento"},
      {ArgKind::kAmount, "valor do movimento"},
  };
  return kParams;
}

std::vector<Method> StatementMethods() {
  return {
      {"GetPrxMovReal",
       {{ArgKind::kText, kReducedCode, 3}, {ArgKind::kOne, "incremento"}},
       GetPrxMovReal},
      {"GetExtrBanco",
       {{ArgKind::kText, kReducedCode, 3}, {ArgKind::kDate, "data do saldo inicial"}},
       GetExtrBanco},
      {"GetSequencia",
       {{ArgKind::kText, kReducedCode, 3}, {ArgKind::kText, kStatementCode, 10}},
       GetSequencia},
      {"GetPesqLanc", {PesqLancParams().begin(), PesqLancParams().end()}, GetPesqLanc},
      {"GetVersaoConta", {{ArgKind::kText, kReducedCode, 3}}, GetVersaoConta},
  };
}

}  // namespace server
