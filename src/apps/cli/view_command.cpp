// extrato extratos | movimentos: what was imported into an account, as tables, JSON,
// CSV or OFX. Movements are read and written a page at a time.
#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "apps/cli/service_session.h"
#include "apps/cli/text_table.h"
#include "apps/cli/usage.h"
#include "apps/common/brazilian_format.h"
#include "apps/common/continuity.h"
#include "apps/common/movement_pages.h"
#include "host/utf8.h"

namespace cli {

namespace {

using nlohmann::json;

struct ViewOptions {
  SessionOptions session;
  apps::MovementQuery query;
  std::string from;  // as typed
  std::string to;
  std::string format = "texto";
};

const std::vector<ShownColumn> kStatementColumns = {
    {"CDSEQUEXTR", "statement", "Extrato"}, {"DTSALDINIC", "opening_date", "De"},
    {"DTSALDFIN", "closing_date", "Até"},   {"VRSALDINIC", "opening_balance", "Saldo inicial"},
    {"IDEXTRINI", "opening_side", "D/C"},   {"VRSALDFIM", "closing_balance", "Saldo final"},
    {"IDEXTRFIM", "closing_side", "D/C"},   {"QTMOVREAL", "movements", "Movimentos"},
    {"VRCREDITOS", "credits", "Créditos"},  {"VRDEBITOS", "debits", "Débitos"},
};

// A value of a packet as a person reads it: dates and amounts the Brazilian way.
json Shown(const json& value, const std::string& type) {
  if (value.is_null())
    return "";
  if (type == "date") {
    auto date = host::Date::FromIso(value.get<std::string>());
    return date ? json(apps::BrazilianDate(*date)) : value;
  }
  if (type == "float" && value.is_number())
    return json(apps::BrazilianAmount(value.get<double>()));
  return value;
}

json ShownPacket(const json& packet) {
  json shown = packet;
  const json& fields = packet.at("fields");
  for (json& row : shown.at("rows")) {
    for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i)
      row[i] = Shown(row[i], fields[i][1].get<std::string>());
  }
  return shown;
}

// Refuses an account that is not registered, so an empty listing means no data.
void RequireAccount(ServiceSession& session, const std::string& account) {
  json accounts = session.Call("GetContas", {""});
  for (const json& row : accounts.at("rows")) {
    if (Cell(accounts, row, "CDREDUCONT") == account)
      return;
  }
  throw ServiceError(
      fmt::format("A conta corrente {} não está cadastrada (veja extrato contas).", account));
}

apps::ServerCall CallOf(ServiceSession& session) {
  return [&session](const std::string& method, const json& params) {
    return session.Call(method, params);
  };
}

CommandEnd ListStatements(ServiceSession& session, const ViewOptions& options) {
  RequireAccount(session, options.query.account);
  json statements = apps::ReadStatements(CallOf(session), options.query);
  std::vector<apps::Continuity> gaps = apps::ListingContinuity(statements);
  json shown = ShownPacket(statements);
  shown["fields"].push_back({"LACUNA", "text", 0});
  CommandEnd end;
  end.result = JsonRows(statements, kStatementColumns);
  for (std::size_t i = 0; i < gaps.size(); ++i) {
    shown["rows"][i].push_back(gaps[i].Mark());
    end.result[i]["continuity"] = i == 0 ? json() : gaps[i].ToJson();
  }
  std::vector<ShownColumn> columns = kStatementColumns;
  columns.push_back({"LACUNA", "gap", "Lacuna"});
  end.text = TextTable(shown, columns, "Nenhum extrato da conta no período.");
  for (std::size_t i = 0; i < gaps.size(); ++i) {
    for (const std::string& warning : gaps[i].warnings)
      end.text += fmt::format("Extrato {}: {}\n",
                              Cell(statements, statements["rows"][i], "CDSEQUEXTR"), warning);
  }
  return end;
}

// One movement per line, in columns of fixed width, so the first page shows at once.
class MovementTable {
 public:
  explicit MovementTable(std::ostream& out) : out_(out) {
    Line({"Extrato", "Mov.", "Data", "Documento", "Histórico", "Valor", "D/C", "Sit.", "Saldo"});
  }

  void Add(const apps::ListedMovement& m) {
    Line({m.statement, m.number, apps::BrazilianDate(m.date), m.document, m.history,
          apps::BrazilianAmount(m.amount), m.debit_credit, m.status,
          m.balance ? apps::BrazilianAmount(*m.balance) : ""});
    ++count_;
    (m.debit_credit == "D" ? debits_ : credits_) += apps::ToCents(m.amount);
  }

  std::string Totals() const {
    if (count_ == 0)
      return "Nenhum movimento da conta no período.";
    return fmt::format("{} movimento(s); créditos {}; débitos {}.", count_,
                       apps::BrazilianAmount(credits_ / 100.0),
                       apps::BrazilianAmount(debits_ / 100.0));
  }

 private:
  static constexpr int kWidths[] = {10, 10, 10, 20, 40, -16, 3, 4, -16};  // negative: right

  void Line(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      int width = kWidths[i];
      std::size_t room = static_cast<std::size_t>(width < 0 ? -width : width);
      std::string pad(room - std::min(room, host::Utf8Length(cells[i])), ' ');
      line += (i ? "  " : "") + (width < 0 ? pad + cells[i] : cells[i] + pad);
    }
    out_ << line.substr(0, line.find_last_not_of(' ') + 1) << "\n";
  }

  std::ostream& out_;
  std::size_t count_ = 0;
  long long credits_ = 0;
  long long debits_ = 0;
};

json MovementJson(const apps::ListedMovement& m) {
  return {{"statement", m.statement},
          {"number", m.number},
          {"date", m.date.ToIso()},
          {"document", m.document},
          {"history", m.history},
          {"amount", m.amount},
          {"side", m.debit_credit},
          {"status", m.status},
          {"balance", m.balance ? json(*m.balance) : json()}};
}

// The rows of --json go out as they are read: the object's "result" first, its
// outcome and messages after the last row, valid JSON whichever way it ends.
int StreamJson(ServiceSession& session, const ViewOptions& options) {
  std::cout << "{\"result\":[";
  CommandEnd end;
  bool first = true;
  try {
    RequireAccount(session, options.query.account);
    apps::ForEachMovement(CallOf(session), options.query, [&](const apps::ListedMovement& m) {
      std::cout << (first ? "" : ",") << MovementJson(m).dump();
      first = false;
    });
  } catch (const std::exception& e) {
    end = Failed(e.what());
  }
  json tail = ReportJson(end.outcome, end.messages);
  std::cout << "]," << tail.dump().substr(1) << std::endl;
  for (const ShownMessage& message : end.messages)
    std::cerr << KindPrefix(message.kind) << message.text << "\n";
  return StatusOf(end.outcome);
}

int ListMovements(const ViewOptions& options, bool json_output) {
  if (json_output && options.format != "texto") {
    return Finish(Failed("--json não pode ser usado com --formato csv ou ofx.", RunOutcome::kUsage),
                  true, std::cout, std::cerr);
  }
  CommandEnd end;
  try {
    ServiceSession session(options.session);
    if (json_output)
      return StreamJson(session, options);
    RequireAccount(session, options.query.account);
    if (options.format == "texto") {
      MovementTable table(std::cout);
      apps::ForEachMovement(CallOf(session), options.query,
                            [&](const apps::ListedMovement& m) { table.Add(m); });
      end.text = table.Totals();
    } else {
      apps::Export(CallOf(session), options.query,
                   options.format == "ofx" ? apps::ExportFormat::kOfx : apps::ExportFormat::kCsv,
                   std::cout);
    }
  } catch (const std::exception& e) {
    end = Failed(e.what());
  }
  return Finish(end, json_output, std::cout, std::cerr);
}

int Run(const ViewOptions& options, bool json_output,
        CommandEnd (*work)(ServiceSession&, const ViewOptions&)) {
  return RunOnSession(options.session, json_output,
                      [&](ServiceSession& session) { return work(session, options); });
}

CLI::Validator DateText() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return apps::ReadDate(text) ? "" : "esperada uma data dd/mm/aaaa";
      },
      "");
}

void AddPeriodOptions(CLI::App& command, ViewOptions& options) {
  command.add_option("--conta", options.query.account, "Código reduzido da conta corrente")
      ->required();
  command.add_option("--de", options.from, "Primeiro dia do período (dd/mm/aaaa)")
      ->option_text("DATA")
      ->check(DateText());
  command.add_option("--ate", options.to, "Último dia do período (dd/mm/aaaa)")
      ->option_text("DATA")
      ->check(DateText());
  AddSessionOptions(command, options.session);
}

// The period as typed; open ends reach the first and the last day there can be.
void ReadPeriod(ViewOptions& options) {
  if (!options.from.empty())
    options.query.from = *apps::ReadDate(options.from);
  if (!options.to.empty())
    options.query.to = *apps::ReadDate(options.to);
}

}  // namespace

void AddViewCommands(CLI::App& app, RunContext& context) {
  auto statements = std::make_shared<ViewOptions>();
  CLI::App* list = app.add_subcommand(
      "extratos", "Lista os extratos importados de uma conta no período, com saldos e totais.");
  AddPeriodOptions(*list, *statements);
  list->callback([statements, &context] {
    ReadPeriod(*statements);
    context.status = Run(*statements, context.json, ListStatements);
  });

  auto movements = std::make_shared<ViewOptions>();
  CLI::App* listed = app.add_subcommand(
      "movimentos",
      "Lista os movimentos importados de uma conta (ou de um extrato) no período, por data, "
      "com o saldo do extrato após cada um; ou os grava em CSV ou OFX.");
  AddPeriodOptions(*listed, *movements);
  listed->add_option("--extrato", movements->query.statement, "Código do extrato")
      ->option_text("CODIGO");
  listed
      ->add_option("--formato", movements->format,
                   "texto (padrão), csv (planilhas: ponto e vírgula, vírgula decimal, UTF-8) ou "
                   "ofx (OFX 1.0.2, para programas de finanças e contabilidade)")
      ->option_text("FORMATO")
      ->check(OneOf({"texto", "csv", "ofx"}));
  listed->callback([movements, &context] {
    ReadPeriod(*movements);
    context.status = ListMovements(*movements, context.json);
  });
}

}  // namespace cli
