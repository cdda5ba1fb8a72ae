#include "apps/common/movement_pages.h"

#include <stdexcept>

#include <fmt/format.h>

namespace apps {

namespace {

using nlohmann::json;

// The index of each field of a packet, by name.
class Fields {
 public:
  explicit Fields(const json& packet) : fields_(packet.at("fields")) {}

  std::size_t operator[](std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (fields_[i][0].get<std::string>() == name)
        return i;
    }
    throw std::runtime_error(fmt::format("A resposta do servidor não tem o campo {}.", name));
  }

 private:
  const json& fields_;
};

std::string Text(const json& value) {
  return value.is_string() ? value.get<std::string>() : "";
}

// Fixed-width files pad their texts; people and other programs want them without.
std::string Trimmed(const json& value) {
  std::string text = Text(value);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

host::Date DateOf(const json& value) {
  if (auto date = host::Date::FromIso(Text(value)))
    return *date;
  throw std::runtime_error(fmt::format("Data inválida na resposta do servidor: {}.", value.dump()));
}

std::optional<double> Amount(const json& value) {
  if (!value.is_number())
    return std::nullopt;
  return value.get<double>();
}

std::vector<ListedMovement> Movements(const json& packet) {
  Fields field(packet);
  std::size_t statement = field["CDSEQUEXTR"], number = field["NRSEQMOVREAL"],
              date = field["DTMOVREAL"], document = field["NRDOCMOVREAL"],
              history = field["DSHISTMOVREAL"], amount = field["VRMOVREAL"],
              side = field["IDMOVREAL"], status = field["IDSTCONMVBAN"], balance = field["VRSALDO"];
  std::vector<ListedMovement> movements;
  for (const json& row : packet.at("rows")) {
    movements.push_back({Text(row[statement]), Text(row[number]), DateOf(row[date]),
                         Trimmed(row[document]), Trimmed(row[history]),
                         Amount(row[amount]).value_or(0.0), Text(row[side]), Text(row[status]),
                         Amount(row[balance])});
  }
  return movements;
}

}  // namespace

json ReadStatements(const ServerCall& call, const MovementQuery& query) {
  return call("GetExtratosConta", {query.account, query.from.ToIso(), query.to.ToIso()});
}

MovementPage ReadPage(const ServerCall& call, const MovementQuery& query, const json& position) {
  json answer = call("GetMovimentosConta", {query.account, query.statement, query.from.ToIso(),
                                            query.to.ToIso(), position, query.page_size});
  return {Movements(answer.at("movements")), answer.value("next", json())};
}

void ForEachMovement(const ServerCall& call, const MovementQuery& query,
                     const std::function<void(const ListedMovement&)>& visit) {
  json position = "";
  do {
    MovementPage page = ReadPage(call, query, position);
    for (const ListedMovement& movement : page.movements)
      visit(movement);
    position = std::move(page.next);
  } while (!position.is_null());
}

ExportHeader ReadExportHeader(const ServerCall& call, const MovementQuery& query,
                              const json& statements) {
  ExportHeader header;
  header.account = query.account;
  json accounts = call("GetContas", {""});
  Fields account_field(accounts);
  for (const json& row : accounts.at("rows")) {
    if (Text(row[account_field["CDREDUCONT"]]) != query.account)
      continue;
    header.bank = Text(row[account_field["CDBANCO"]]);
    header.agency = Text(row[account_field["CDAGENCIA"]]);
    header.number = Text(row[account_field["NRCONTCORR"]]);
    header.kind = Text(row[account_field["IDTIPOCONTA"]]);
  }
  header.from = query.from;
  header.to = query.to;
  Fields field(statements);
  bool first = true;
  std::optional<host::Date> latest;
  for (const json& row : statements.at("rows")) {
    if (!query.statement.empty() && Text(row[field["CDSEQUEXTR"]]) != query.statement)
      continue;
    host::Date start = DateOf(row[field["DTSALDINIC"]]);
    const json& end = row[field["DTSALDFIN"]];
    host::Date last = end.is_null() ? start : DateOf(end);
    // The period a file states, when the one asked for is open at either end.
    if (first && query.from < start)
      header.from = start;
    first = false;
    if (!latest || *latest < last)
      latest = last;
    std::optional<double> closing = Amount(row[field["VRSALDFIM"]]);
    if (closing && !end.is_null()) {
      header.closing_balance = Text(row[field["IDEXTRFIM"]]) == "D" ? -*closing : *closing;
      header.closing_date = last;
    }
  }
  if (latest && *latest < query.to)
    header.to = *latest;
  if (header.to < header.from)
    header.to = header.from;
  return header;
}

std::size_t Export(const ServerCall& call, const MovementQuery& query, ExportFormat format,
                   std::ostream& out) {
  ExportHeader header = ReadExportHeader(call, query, ReadStatements(call, query));
  std::unique_ptr<ExportWriter> writer = MakeExportWriter(format, header, out);
  std::size_t count = 0;
  ForEachMovement(call, query, [&](const ListedMovement& movement) {
    writer->Add(movement);
    ++count;
  });
  writer->Finish();
  return count;
}

}  // namespace apps
