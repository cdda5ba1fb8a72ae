// The import as a user far from the server meets it: every layout of the table, on
// SQLite and PostgreSQL, with the server in the process (as `extrato import` runs it),
// straight over loopback and through a proxy that adds a fixed delay to each round
// trip. Per case: seconds, movements per second, remote calls and peak memory (screen
// and server together).
// Each case runs in a child process of its own, so that its peak memory is its own;
// the statement files are written by other children beforehand.
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

#include <fmt/format.h>
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

// A database of the case's own: a SQLite file, or a schema of the PostgreSQL database.
std::string FreshDatabase(const BenchOptions& options, const std::string& name, bool postgresql) {
  if (!postgresql) {
    std::filesystem::path path = std::filesystem::path(options.folder) / (name + ".db");
    std::filesystem::remove(path);
    return "sqlite:" + path.string();
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

int RunCase(const BenchOptions& options, const importers::Layout& layout, bool postgresql,
            const Route& route) {
  std::string name = fmt::format("bench_{}_{}", layout.name,
                                 route.in_process ? "local" : fmt::format("{}ms", route.delay_ms));
  std::replace(name.begin(), name.end(), '-', '_');
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
  if (!ok) {
    std::vector<std::string> texts = ui.texts();
    fmt::print("  failed: {}\n", texts.empty() ? "no message" : texts.back());
  }
  host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
  host::SetTransportFactory(nullptr);
  host::GetApplication().SetUiServices(nullptr);
  return ok ? 0 : 1;
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
  CLI11_PARSE(app, argc, argv);

  std::vector<const importers::Layout*> layouts;
  for (const importers::Layout& layout : importers::Layouts()) {
    if (options.layouts.empty() || std::find(options.layouts.begin(), options.layouts.end(),
                                             layout.name) != options.layouts.end())
      layouts.push_back(&layout);
  }
  std::filesystem::create_directories(options.folder);
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
  for (bool postgresql : {false, true}) {
    if (postgresql && options.postgresql.empty())
      continue;
    for (const Route& route : routes) {
      for (const importers::Layout* layout : layouts) {
        if (!InChild([&] { return RunCase(options, *layout, postgresql, route); }))
          ++failures;
      }
    }
  }
  for (const importers::Layout* layout : layouts)
    std::filesystem::remove(StatementPath(options, *layout));
  return failures == 0 ? 0 : 1;
}
