// The import as a user far from the server meets it: every layout of the table, on
// SQLite and PostgreSQL, with the server in the process (as `extrato import` runs it),
// straight over loopback and through a proxy that adds a fixed delay to each round
// trip. Per case: seconds, movements per second, remote calls and peak memory (screen
// and server together).
// Each case runs in a child process of its own, so that its peak memory is its own;
// the statement files are written by other children beforehand. Beside each SQLite
// import in the process, its floor: the same rows stored by a plain prepared INSERT.
// At the end, the ratios to their targets: import to floor, PostgreSQL to SQLite, a
// far server to loopback, and with --large the peak memory of a larger file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <CLI/CLI.hpp>

#include "delay_proxy.h"
#include "host/application.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "host/soci.h"
#include "layouts/layouts.h"
#include "screen/imp_ext_banc.h"
#include "screen/module.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "server/embedded_server.h"
#include "server/in_process_server.h"
#include "server/schema.h"
#include "testing/recording_ui_services.h"
#include "tools/statements/statement_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
  std::string folder;
  long movements = 100'000;
  std::vector<std::string> layouts;  // empty: every layout of the table
  std::string postgresql;            // base URI; empty: SQLite only
  bool in_process = true;
  // Added to each round trip: none, then a server in another building, then one far away.
  std::vector<int> delays_ms = {0, 1, 10};
  // Movements of the files whose peak memory is compared with the first run's; 0: none.
  long large = 0;
};

// What one case measured, as its child process hands it to the parent.
struct CaseResult {
  std::string layout;
  std::string database;
  std::string route;  // "in process", "floor", or the delay
  long movements = 0;
  double seconds = 0;
  long peak_kib = 0;
};

// Where the screen's calls go: to the server in this process, or over loopback HTTP,
// straight or through the delaying proxy.
struct Route {
  bool in_process = false;
  int delay_ms = 0;
};

std::string RouteName(const Route& route) {
  return route.in_process ? "in process" : fmt::format("{} ms", route.delay_ms);
}

// Counts the calls by method, the written ones (the submission) included, which it
// passes on still written.
class CountingTransport : public host::Transport {
 public:
  CountingTransport(std::unique_ptr<host::Transport> inner, std::map<std::string, int>& counts)
      : inner_(std::move(inner)), counts_(counts) {}
  host::Variant Send(const std::string& server_name, const host::Variant& request) override {
    ++counts_[request.value("method", "")];
    return inner_->Send(server_name, request);
  }
  host::Variant SendWritten(const std::string& server_name,
                            const host::RequestWriter& writer) override {
    return inner_->SendWritten(server_name, [&](const auto& write) {
      std::string head;
      writer([&](std::string_view piece) {
        if (head.size() < 200)
          head += piece;
        write(piece);
      });
      std::smatch method;
      if (std::regex_search(head, method, std::regex(R"re("method":"([^"]*)")re")))
        ++counts_[method[1].str()];
    });
  }

 private:
  std::unique_ptr<host::Transport> inner_;
  std::map<std::string, int>& counts_;
};

// Runs `work` in a child process; true when it ended well.
bool InChild(const std::function<int()>& work) {
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    int status = work();
    std::fflush(stdout);
    _exit(status);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string StatementPath(const BenchOptions& options, const importers::Layout& layout) {
  return (std::filesystem::path(options.folder) / fmt::format("{}.txt", layout.name)).string();
}

int WriteStatement(const BenchOptions& options, const importers::Layout& layout) {
  std::ofstream file(StatementPath(options, layout), std::ios::binary);
  for (const std::string& line : bench::GenerateStatement({&layout, options.movements, 1, 1}))
    file << line << "\r\n";
  return file.flush() ? 0 : 1;
}

std::string ResultsPath(const BenchOptions& options) {
  return (std::filesystem::path(options.folder) / "results.txt").string();
}

// Children append their figures here; the parent reads them all for the ratios.
void SaveResult(const BenchOptions& options, const CaseResult& result) {
  std::ofstream file(ResultsPath(options), std::ios::app);
  file << fmt::format("{}\t{}\t{}\t{}\t{}\t{}\n", result.layout, result.database, result.route,
                      result.movements, result.seconds, result.peak_kib);
}

std::vector<CaseResult> LoadResults(const BenchOptions& options) {
  std::vector<CaseResult> results;
  std::ifstream file(ResultsPath(options));
  std::string line;
  while (std::getline(file, line)) {
    std::vector<std::string> parts;
    std::istringstream fields(line);
    for (std::string part; std::getline(fields, part, '\t');)
      parts.push_back(part);
    if (parts.size() == 6)
      results.push_back({parts[0], parts[1], parts[2], std::stol(parts[3]), std::stod(parts[4]),
                         std::stol(parts[5])});
  }
  return results;
}

// A database of the case's own: a SQLite file, or a schema of the PostgreSQL database.
std::string SqlitePath(const BenchOptions& options, const std::string& name) {
  return (std::filesystem::path(options.folder) / (name + ".db")).string();
}

std::string FreshDatabase(const BenchOptions& options, const std::string& name, bool postgresql) {
  if (!postgresql) {
    std::filesystem::remove(SqlitePath(options, name));
    return "sqlite:" + SqlitePath(options, name);
  }
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(options.postgresql));
  sql << "DROP SCHEMA IF EXISTS " + name + " CASCADE";
  sql << "CREATE SCHEMA " + name;
  const std::string& base = options.postgresql;
  return fmt::format("{}{}options=-csearch_path%3D{}", base,
                     base.find('?') == std::string::npos ? "?" : "&", name);
}

long StoredMovements(const std::string& uri) {
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(uri));
  long count = 0;
  sql << "SELECT COUNT(*) FROM MOVREAL", soci::into(count);
  return count;
}

long PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string CaseName(const importers::Layout& layout, const Route& route) {
  std::string name = fmt::format("bench_{}_{}", layout.name,
                                 route.in_process ? "local" : fmt::format("{}ms", route.delay_ms));
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

int RunCase(const BenchOptions& options, const importers::Layout& layout, bool postgresql,
            const Route& route) {
  std::string name = CaseName(layout, route);
  std::string uri = FreshDatabase(options, name, postgresql);
  server::LoadDemo(uri);
  std::unique_ptr<server::InProcessServer> in_process;
  std::unique_ptr<server::EmbeddedServer> embedded;
  std::unique_ptr<bench::DelayProxy> proxy;
  host::TransportFactory transports = host::HttpTransportFactory();
  if (route.in_process) {
    in_process = std::make_unique<server::InProcessServer>(uri);
    transports = in_process->Factory();
  } else {
    embedded = std::make_unique<server::EmbeddedServer>(uri);
    if (route.delay_ms > 0)
      proxy = std::make_unique<bench::DelayProxy>(embedded->port(),
                                                  std::chrono::milliseconds(route.delay_ms));
    host::Config().web_url = "127.0.0.1";
    host::Config().web_port = proxy ? proxy->port() : embedded->port();
  }
  host::Config().database_uri = uri;
  host::RecordingUiServices ui;
  host::GetApplication().SetUiServices(&ui);
  std::map<std::string, int> calls;
  host::SetTransportFactory([&calls, transports](const std::string& host, int port) {
    return std::make_unique<CountingTransport>(transports(host, port), calls);
  });
  CriaImpExtBanc();
  frmImpExtBanc->medCdBanco.SetText(bench::BankOf(layout));
  frmImpExtBanc->edtNmArquivo.SetText(StatementPath(options, layout));
  calls.clear();

  Clock::time_point start = Clock::now();
  host::EventOutcome outcome =
      host::GetApplication().Dispatch([] { frmImpExtBanc->sbtConfirma.Click(); });
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  long stored = StoredMovements(uri);
  int total = 0;
  for (const auto& [method, count] : calls)
    total += count;
  fmt::print("{:<10} {:<10} {:>10} {:>8} {:>8.2f} s {:>9.0f}/s {:>8} calls {:>8.1f} MiB\n",
             layout.name, postgresql ? "PostgreSQL" : "SQLite", RouteName(route), stored, seconds,
             stored / seconds, total, PeakMemoryKiB() / 1024.0);
  bool ok = outcome == host::EventOutcome::kCompleted && stored == options.movements;
  if (ok) {
    SaveResult(options, {std::string(layout.name), postgresql ? "PostgreSQL" : "SQLite",
                         RouteName(route), stored, seconds, PeakMemoryKiB()});
  } else {
    std::vector<std::string> texts = ui.texts();
    fmt::print("  failed: {}\n", texts.empty() ? "no message" : texts.back());
  }
  host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
  host::SetTransportFactory(nullptr);
  host::GetApplication().SetUiServices(nullptr);
  return ok ? 0 : 1;
}

// A stored value of any type, kept as SQLite hands it out.
using StoredValue =
    std::unique_ptr<sqlite_api::sqlite3_value, void (*)(sqlite_api::sqlite3_value*)>;

struct StoredRows {
  std::vector<std::string> columns;
  std::vector<std::vector<StoredValue>> rows;
};

sqlite_api::sqlite3* Handle(soci::session& session) {
  return static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
}

StoredRows ReadMovements(const std::string& uri) {
  soci::session session;
  server::Connect(session, server::ParseDatabaseUri(uri));
  sqlite_api::sqlite3_stmt* statement = nullptr;
  sqlite_api::sqlite3_prepare_v2(Handle(session), "SELECT * FROM MOVREAL", -1, &statement, nullptr);
  StoredRows stored;
  int count = sqlite_api::sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i)
    stored.columns.emplace_back(sqlite_api::sqlite3_column_name(statement, i));
  while (sqlite_api::sqlite3_step(statement) == SQLITE_ROW) {
    std::vector<StoredValue>& row = stored.rows.emplace_back();
    for (int i = 0; i < count; ++i) {
      row.emplace_back(
          sqlite_api::sqlite3_value_dup(sqlite_api::sqlite3_column_value(statement, i)),
          sqlite_api::sqlite3_value_free);
    }
  }
  sqlite_api::sqlite3_finalize(statement);
  return stored;
}

void Require(int code, int expected, sqlite_api::sqlite3* db) {
  if (code != expected)
    throw std::runtime_error(sqlite_api::sqlite3_errmsg(db));
}

// The floor of a SQLite case: the movements its import stored, inserted again into an
// empty database of the same schema and settings by one prepared INSERT run once per
// row in one transaction. What storing them costs with nothing else around it.
int RunFloor(const BenchOptions& options, const importers::Layout& layout) {
  StoredRows stored =
      ReadMovements("sqlite:" + SqlitePath(options, CaseName(layout, {.in_process = true})));
  std::string uri = FreshDatabase(options, "bench_floor", false);
  server::InitSchema(uri);
  soci::session session;
  server::Connect(session, server::ParseDatabaseUri(uri));
  sqlite_api::sqlite3* db = Handle(session);
  std::string marks;
  for (std::size_t i = 0; i < stored.columns.size(); ++i)
    marks += i ? ", ?" : "?";
  std::string sql =
      fmt::format("INSERT INTO MOVREAL ({}) VALUES ({})", fmt::join(stored.columns, ", "), marks);

  Clock::time_point start = Clock::now();
  Require(sqlite_api::sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK,
          db);
  sqlite_api::sqlite3_stmt* insert = nullptr;
  Require(sqlite_api::sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr), SQLITE_OK, db);
  for (const std::vector<StoredValue>& row : stored.rows) {
    for (std::size_t i = 0; i < row.size(); ++i)
      sqlite_api::sqlite3_bind_value(insert, static_cast<int>(i + 1), row[i].get());
    Require(sqlite_api::sqlite3_step(insert), SQLITE_DONE, db);
    sqlite_api::sqlite3_reset(insert);
  }
  sqlite_api::sqlite3_finalize(insert);
  Require(sqlite_api::sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK, db);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  fmt::print("{:<10} {:<10} {:>10} {:>8} {:>8.2f} s {:>9.0f}/s\n", layout.name, "SQLite", "floor",
             stored.rows.size(), seconds, stored.rows.size() / seconds);
  SaveResult(options, {std::string(layout.name), "SQLite", "floor",
                       static_cast<long>(stored.rows.size()), seconds, 0});
  return 0;
}

const CaseResult* Find(const std::vector<CaseResult>& results, std::string_view layout,
                       std::string_view database, std::string_view route, long movements) {
  for (const CaseResult& result : results) {
    if (result.layout == layout && result.database == database && result.route == route &&
        result.movements == movements)
      return &result;
  }
  return nullptr;
}

// "1.23 ×", or a dash when a side is missing.
std::string Ratio(const CaseResult* above, const CaseResult* below) {
  return above && below ? fmt::format("{:.2f} ×", above->seconds / below->seconds) : "-";
}

std::string Seconds(const CaseResult* result) {
  return result ? fmt::format("{:.2f} s", result->seconds) : "-";
}

void PrintRatios(const BenchOptions& options, const std::vector<const importers::Layout*>& layouts,
                 const std::vector<CaseResult>& results) {
  long n = options.movements;
  fmt::print("\nRatios of this run, {} movements, with their targets:\n", n);
  fmt::print("{:<10} {:>9} {:>9} {:>16} {:>11} {:>17} {:>9} {:>9} {:>18}\n", "layout", "SQLite",
             "floor", "× floor (≤ 1.5)", "PostgreSQL", "× SQLite (≤ 1.2)", "loopback", "10 ms",
             "× loopback (≤ 1.5)");
  for (const importers::Layout* layout : layouts) {
    const CaseResult* sqlite = Find(results, layout->name, "SQLite", "in process", n);
    const CaseResult* floor = Find(results, layout->name, "SQLite", "floor", n);
    const CaseResult* postgresql = Find(results, layout->name, "PostgreSQL", "in process", n);
    const CaseResult* loopback = Find(results, layout->name, "SQLite", "0 ms", n);
    const CaseResult* far = Find(results, layout->name, "SQLite", "10 ms", n);
    fmt::print("{:<10} {:>9} {:>9} {:>16} {:>11} {:>17} {:>9} {:>9} {:>18}\n", layout->name,
               Seconds(sqlite), Seconds(floor), Ratio(sqlite, floor), Seconds(postgresql),
               Ratio(postgresql, sqlite), Seconds(loopback), Seconds(far), Ratio(far, loopback));
  }
  if (options.large <= n)
    return;
  fmt::print("\nPeak memory with the server in the process, target ≤ 256 MiB at {} movements:\n",
             options.large);
  fmt::print("{:<10} {:<10} {:>14} {:>14} {:>26}\n", "layout", "database", fmt::format("at {}", n),
             fmt::format("at {}", options.large), fmt::format("KiB/movement beyond {}", n));
  for (const importers::Layout* layout : layouts) {
    for (const char* database : {"SQLite", "PostgreSQL"}) {
      const CaseResult* small = Find(results, layout->name, database, "in process", n);
      const CaseResult* large = Find(results, layout->name, database, "in process", options.large);
      if (!small || !large)
        continue;
      fmt::print("{:<10} {:<10} {:>10.1f} MiB {:>10.1f} MiB {:>26.3f}\n", layout->name, database,
                 small->peak_kib / 1024.0, large->peak_kib / 1024.0,
                 static_cast<double>(large->peak_kib - small->peak_kib) /
                     static_cast<double>(options.large - n));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  options.folder = (std::filesystem::temp_directory_path() / "extrato-remote-bench").string();
  CLI::App app{"Import of generated statement files over loopback and through a delaying proxy."};
  app.add_option("--folder", options.folder, "where the databases and files go");
  app.add_option("--movements", options.movements, "movements of each file");
  app.add_option("--layout", options.layouts, "layouts of the table (default: every one)");
  app.add_option("--postgresql", options.postgresql, "PostgreSQL database to run on as well");
  app.add_option("--delay", options.delays_ms, "delays per round trip, in ms (default: 0 1 10)")
      ->check(CLI::Range(0, 100));
  app.add_flag("!--no-in-process", options.in_process, "without the server in the process");
  app.add_option("--large", options.large,
                 "movements of a second, in-process run for peak memory (default: none)");
  CLI11_PARSE(app, argc, argv);

  std::vector<const importers::Layout*> layouts;
  for (const importers::Layout& layout : importers::Layouts()) {
    if (options.layouts.empty() || std::find(options.layouts.begin(), options.layouts.end(),
                                             layout.name) != options.layouts.end())
      layouts.push_back(&layout);
  }
  std::filesystem::create_directories(options.folder);
  std::filesystem::remove(ResultsPath(options));
  int failures = 0;
  for (const importers::Layout* layout : layouts) {
    if (!InChild([&] { return WriteStatement(options, *layout); }))
      ++failures;
  }
  std::vector<Route> routes;
  if (options.in_process)
    routes.push_back({.in_process = true});
  for (int delay : options.delays_ms)
    routes.push_back({.delay_ms = delay});
  fmt::print("{:<10} {:<10} {:>10} {:>8} {:>10} {:>11} {:>14} {:>12}\n", "layout", "database",
             "route", "stored", "time", "rate", "remote calls", "peak memory");
  auto run = [&](const BenchOptions& run_options, bool postgresql, const Route& route,
                 const importers::Layout& layout) {
    if (!InChild([&] { return RunCase(run_options, layout, postgresql, route); }))
      ++failures;
    else if (!postgresql && route.in_process && run_options.movements == options.movements &&
             !InChild([&] { return RunFloor(run_options, layout); }))
      ++failures;
  };
  for (bool postgresql : {false, true}) {
    if (postgresql && options.postgresql.empty())
      continue;
    for (const Route& route : routes) {
      for (const importers::Layout* layout : layouts)
        run(options, postgresql, route, *layout);
    }
  }
  for (const importers::Layout* layout : layouts)
    std::filesystem::remove(StatementPath(options, *layout));

  if (options.large > options.movements) {
    BenchOptions large = options;
    large.movements = options.large;
    for (const importers::Layout* layout : layouts) {
      if (!InChild([&] { return WriteStatement(large, *layout); })) {
        ++failures;
        continue;
      }
      for (bool postgresql : {false, true}) {
        if (!postgresql || !options.postgresql.empty())
          run(large, postgresql, {.in_process = true}, *layout);
      }
      std::filesystem::remove(StatementPath(large, *layout));
    }
  }
  PrintRatios(options, layouts, LoadResults(options));
  return failures == 0 ? 0 : 1;
}
