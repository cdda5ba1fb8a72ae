#include "server/view_methods.h"

#include <map>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "server/query.h"

namespace server {

namespace {

using host::FieldType;
using nlohmann::json;

// Amounts are stored positive with a debit/credit indicator; sums need a sign.
constexpr std::string_view kSignedAmount =
    "CASE WHEN IDMOVREAL = 'D' THEN -VRMOVREAL ELSE VRMOVREAL END";

const std::vector<host::FieldDef> kStatementFields = {
    {"CDSEQUEXTR", FieldType::kText, 10}, {"DTSALDINIC", FieldType::kDate, 0},
    {"DTSALDFIN", FieldType::kDate, 0},   {"VRSALDINIC", FieldType::kFloat, 0},
    {"IDEXTRINI", FieldType::kText, 1},   {"VRSALDFIM", FieldType::kFloat, 0},
    {"IDEXTRFIM", FieldType::kText, 1},   {"QTMOVREAL", FieldType::kText, 10},
    {"VRCREDITOS", FieldType::kFloat, 0}, {"VRDEBITOS", FieldType::kFloat, 0}};

const std::vector<host::FieldDef> kMovementFields = {
    {"CDSEQUEXTR", FieldType::kText, 10},    {"NRSEQMOVREAL", FieldType::kText, 10},
    {"DTMOVREAL", FieldType::kDate, 0},      {"NRDOCMOVREAL", FieldType::kText, 20},
    {"DSHISTMOVREAL", FieldType::kText, 40}, {"VRMOVREAL", FieldType::kFloat, 0},
    {"IDMOVREAL", FieldType::kText, 1},      {"IDSTCONMVBAN", FieldType::kText, 1},
    {"VRSALDO", FieldType::kFloat, 0}};

const std::vector<host::FieldDef> kDailyFields = {{"DTSALDO", FieldType::kDate, 0},
                                                  {"CDSEQUEXTR", FieldType::kText, 10},
                                                  {"VRSALDO", FieldType::kFloat, 0}};

// Positions of the movement fields read from the table (VRSALDO is worked out).
enum MovementColumn { kStatement, kNumber, kDate, kDocument, kHistory, kAmount, kDebitCredit };

double Amount(const host::FieldValue& value) {
  const auto* amount = std::get_if<double>(&value);
  return amount ? *amount : 0.0;
}

const std::string& Text(const host::FieldValue& value) {
  static const std::string kEmpty;
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : kEmpty;
}

long long Cents(double amount) {
  return AmountToCents(amount).value_or(0);
}

long long Signed(double amount, const std::string& debit_credit) {
  return debit_credit == "D" ? -Cents(amount) : Cents(amount);
}

double FromCents(long long cents) {
  return static_cast<double>(cents) / 100.0;
}

// The statements whose days meet the period, oldest first, with their movements
// counted and summed.
host::Packet Statements(Db& db, const std::string& account, const host::Date& from,
                        const host::Date& to) {
  constexpr std::string_view kOfStatement =
      "FROM MOVREAL M WHERE M.CDREDUCONT = E.CDREDUCONT AND M.CDSEQUEXTR = E.CDSEQUEXTR";
  return QueryPacket(
      db.session,
      fmt::format("SELECT E.CDSEQUEXTR, E.DTSALDINIC, E.DTSALDFIN, E.VRSALDINIC, E.IDEXTRINI, "
                  "E.VRSALDFIM, E.IDEXTRFIM, CAST((SELECT COUNT(*) {0}) AS VARCHAR(10)), "
                  "(SELECT COALESCE(ROUND(SUM(M.VRMOVREAL), 2), 0) {0} AND M.IDMOVREAL = 'C'), "
                  "(SELECT COALESCE(ROUND(SUM(M.VRMOVREAL), 2), 0) {0} AND M.IDMOVREAL = 'D') "
                  "FROM EXTRBANCO E WHERE E.CDREDUCONT = :conta AND E.DTSALDINIC <= :ate AND "
                  "COALESCE(E.DTSALDFIN, E.DTSALDINIC) >= :de ORDER BY E.DTSALDINIC, E.CDSEQUEXTR",
                  kOfStatement),
      {TextValue(account), TextValue(to.ToIso()), TextValue(from.ToIso())}, kStatementFields);
}

Result GetExtratosConta(Db& db, const Arguments& args) {
  return host::ToJson(Statements(db, args.Text(0), args.DateAt(1), args.DateAt(2)));
}

// Where a page starts: after this movement, in the order of the listing. It
// carries the statement's balance after the movement, so a statement that goes on
// into the next page is not summed again from its start.
struct Position {
  std::string date;
  std::string statement;
  std::string number;
  std::optional<long long> balance;  // in cents

  std::string ToText() const {
    return json::array({date, statement, number, balance ? json(*balance) : json()}).dump();
  }
};

std::optional<Position> ReadPosition(const std::string& text) {
  json parts = json::parse(text, nullptr, false);
  if (!parts.is_array() || parts.size() != 4)
    return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i) {
    if (!parts[i].is_string())
      return std::nullopt;
  }
  if (!host::Date::FromIso(parts[0].get<std::string>()))
    return std::nullopt;
  if (!parts[3].is_null() && !parts[3].is_number_integer())
    return std::nullopt;
  return Position{
      parts[0].get<std::string>(), parts[1].get<std::string>(), parts[2].get<std::string>(),
      parts[3].is_null() ? std::nullopt : std::optional<long long>(parts[3].get<long long>())};
}

// The balance just before `first`, the page's first movement of its statement: the
// opening balance and every movement of the statement listed before it. Nothing
// when the statement has no header.
std::optional<long long> BalanceBefore(Db& db, const std::string& account, const host::Row& first) {
  const std::string& statement = Text(first[kStatement]);
  std::string date = std::get<host::Date>(first[kDate]).ToIso();
  host::Packet found = QueryPacket(
      db.session,
      fmt::format("SELECT (SELECT CASE WHEN IDEXTRINI = 'D' THEN -VRSALDINIC ELSE VRSALDINIC END "
                  "FROM EXTRBANCO WHERE CDREDUCONT = :conta1 AND CDSEQUEXTR = :extrato1), "
                  "(SELECT COALESCE(SUM({}), 0) FROM MOVREAL WHERE CDREDUCONT = :conta2 AND "
                  "CDSEQUEXTR = :extrato2 AND (DTMOVREAL < :data1 OR (DTMOVREAL = :data2 AND "
                  "NRSEQMOVREAL < :numero)))",
                  kSignedAmount),
      {TextValue(account), TextValue(statement), TextValue(account), TextValue(statement),
       TextValue(date), TextValue(date), TextValue(Text(first[kNumber]))},
      {{"ABERTURA", FieldType::kFloat, 0}, {"ANTES", FieldType::kFloat, 0}});
  const host::Row& row = found.rows.at(0);
  if (std::holds_alternative<std::monostate>(row[0]))
    return std::nullopt;
  return Cents(Amount(row[0])) + Cents(Amount(row[1]));
}

// Each movement's statement balance after it, in the order of the listing; answers
// the balance after the last one.
std::optional<long long> AddRunningBalances(Db& db, const std::string& account,
                                            const std::optional<Position>& after,
                                            host::Packet& page) {
  std::map<std::string, std::optional<long long>> balances;
  if (after)
    balances[after->statement] = after->balance;
  std::optional<long long> last;
  for (host::Row& row : page.rows) {
    const std::string& statement = Text(row[kStatement]);
    auto found = balances.find(statement);
    if (found == balances.end())
      found = balances.emplace(statement, BalanceBefore(db, account, row)).first;
    std::optional<long long>& balance = found->second;
    if (balance)
      *balance += Signed(Amount(row[kAmount]), Text(row[kDebitCredit]));
    host::FieldValue shown;
    if (balance)
      shown = FromCents(*balance);
    row.push_back(std::move(shown));
    last = balance;
  }
  page.fields = kMovementFields;
  return last;
}

// Ordered by date, statement and movement number, so a position is one movement
// and the next page starts right after it however many movements the account has.
Result GetMovimentosConta(Db& db, const Arguments& args) {
  const std::string& account = args.Text(0);
  const std::string& statement = args.Text(1);
  long long size = args.Count(5);
  std::vector<SqlValue> params = {TextValue(account), TextValue(args.DateAt(2).ToIso()),
                                  TextValue(args.DateAt(3).ToIso())};
  std::string filters;
  std::optional<Position> after;
  if (!statement.empty()) {
    filters += " AND CDSEQUEXTR = :extrato";
    params.push_back(TextValue(statement));
  }
  if (!args.Text(4).empty()) {
    after = ReadPosition(args.Text(4));
    if (!after)
      return Failure{fmt::format("Posição inválida na lista de movimentos: {}.", args.Text(4))};
    // The first condition repeats what the second implies: it lets PostgreSQL start
    // the index at the position's day instead of filtering every movement before it.
    filters +=
        " AND DTMOVREAL >= :data0 AND (DTMOVREAL > :data1 OR (DTMOVREAL = :data2 AND "
        "(CDSEQUEXTR > :extrato1 OR (CDSEQUEXTR = :extrato2 AND NRSEQMOVREAL > :numero))))";
    for (const std::string* value : {&after->date, &after->date, &after->date, &after->statement,
                                     &after->statement, &after->number})
      params.push_back(TextValue(*value));
  }
  host::Packet page = QueryPacket(
      db.session,
      fmt::format("SELECT CDSEQUEXTR, NRSEQMOVREAL, DTMOVREAL, NRDOCMOVREAL, DSHISTMOVREAL, "
                  "VRMOVREAL, IDMOVREAL, IDSTCONMVBAN FROM MOVREAL WHERE CDREDUCONT = :conta "
                  "AND DTMOVREAL >= :de AND DTMOVREAL <= :ate{} ORDER BY DTMOVREAL, CDSEQUEXTR, "
                  "NRSEQMOVREAL LIMIT {}",
                  filters, size + 1),
      std::move(params), {kMovementFields.begin(), kMovementFields.end() - 1});
  bool more = page.rows.size() > static_cast<std::size_t>(size);
  if (more)
    page.rows.resize(size);
  std::optional<long long> balance = AddRunningBalances(db, account, after, page);
  json next = nullptr;
  if (more) {
    const host::Row& last = page.rows.back();
    next = Position{std::get<host::Date>(last[kDate]).ToIso(), Text(last[kStatement]),
                    Text(last[kNumber]), balance}
               .ToText();
  }
  return json{{"movements", host::ToJson(page)}, {"next", next}};
}

// One statement's balance at the end of each day it covers that had movements,
// its opening day and its closing day: the closing one as the bank stated it.
std::map<host::Date, long long> DailyBalances(Db& db, const std::string& account,
                                              const host::Row& statement) {
  std::map<host::Date, long long> days;
  long long balance = Signed(Amount(statement[3]), Text(statement[4]));
  if (const auto* opening = std::get_if<host::Date>(&statement[1]))
    days[*opening] = balance;
  host::Packet sums = QueryPacket(
      db.session,
      fmt::format("SELECT DTMOVREAL, SUM({}) FROM MOVREAL WHERE CDREDUCONT = :conta AND "
                  "CDSEQUEXTR = :extrato AND DTMOVREAL IS NOT NULL GROUP BY DTMOVREAL "
                  "ORDER BY DTMOVREAL",
                  kSignedAmount),
      {TextValue(account), TextValue(Text(statement[0]))},
      {{"DTMOVREAL", FieldType::kDate, 0}, {"TOTAL", FieldType::kFloat, 0}});
  for (const host::Row& day : sums.rows) {
    balance += Cents(Amount(day[1]));
    days[std::get<host::Date>(day[0])] = balance;
  }
  const auto* closing = std::get_if<host::Date>(&statement[2]);
  if (closing != nullptr && std::holds_alternative<double>(statement[5]))
    days[*closing] = Signed(Amount(statement[5]), Text(statement[6]));
  return days;
}

Result GetSaldosDiarios(Db& db, const Arguments& args) {
  const std::string& account = args.Text(0);
  const host::Date& from = args.DateAt(1);
  const host::Date& to = args.DateAt(2);
  std::multimap<host::Date, host::Row> points;
  for (const host::Row& statement : Statements(db, account, from, to).rows) {
    for (const auto& [date, cents] : DailyBalances(db, account, statement)) {
      if (from <= date && date <= to)
        points.emplace(date, host::Row{date, statement[0], FromCents(cents)});
    }
  }
  host::Packet packet{kDailyFields, {}};
  for (auto& [date, row] : points)
    packet.rows.push_back(std::move(row));
  return host::ToJson(packet);
}

constexpr Param kAccount = {ArgKind::kText, "código reduzido da conta", 3};
constexpr Param kFrom = {ArgKind::kDate, "data inicial"};
constexpr Param kTo = {ArgKind::kDate, "data final"};

}  // namespace

std::vector<Method> ViewMethods() {
  return {
      {"GetExtratosConta", {kAccount, kFrom, kTo}, GetExtratosConta},
      {"GetMovimentosConta",
       {kAccount,
        {ArgKind::kText, "código do extrato (vazio: todos)", 10},
        kFrom,
        kTo,
        {ArgKind::kText, "posição (vazia: o início)", 200},
        {ArgKind::kCount, "movimentos por página", kMaxMovementPage}},
       GetMovimentosConta},
      {"GetSaldosDiarios", {kAccount, kFrom, kTo}, GetSaldosDiarios},
  };
}

}  // namespace server
