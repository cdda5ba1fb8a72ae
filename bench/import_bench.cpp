// End-to-end import of generated statement files through the screen, against the
// application server embedded on a loopback HTTP port over SQLite: movements per
// second, remote calls made and peak memory, for each layout. Every layout runs in a
// child process of its own, so that the peak memory is its own (screen and server
// together, as `extrato import` runs them).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "host/application.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "host/recording_ui_services.h"
#include "host/soci.h"
#include "importers/layouts.h"
#include "screen/imp_ext_banc.h"
#include "screen/module.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "server/embedded_server.h"
#include "statement_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
  std::string folder;                // where the databases and files go
  long movements = 100'000;          // of each generated file
  int accounts = 1;                  // statements in each file
  std::vector<std::string> layouts;  // names of the table; empty: every layout
};

// Counts the calls by method on their way to the server.
class CountingTransport : public host::Transport {
 public:
  CountingTransport(std::unique_ptr<host::Transport> inner, std::map<std::string, int>& counts)
      : inner_(std::move(inner)), counts_(counts) {}
  host::Variant Send(const std::string& server_name, const host::Variant& request) override {
    ++counts_[request.value("method", "")];
    return inner_->Send(server_name, request);
  }

 private:
  std::unique_ptr<host::Transport> inner_;
  std::map<std::string, int>& counts_;
};

void RegisterAccounts(const std::string& uri,
                      const std::vector<bench::GeneratedAccount>& accounts) {
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(uri));
  for (const bench::GeneratedAccount& a : accounts) {
    sql << fmt::format(
        "INSERT INTO CONTCORR VALUES ('{}', '{}', '{}', '{}', 'C', 'CONTA GERADA') "
        "ON CONFLICT DO NOTHING",
        a.reduced, a.bank, a.agency, a.number);
  }
}

long StoredMovements(const std::string& uri) {
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(uri));
  long count = 0;
  sql << "SELECT COUNT(*) FROM MOVREAL", soci::into(count);
  return count;
}

std::string WriteStatement(const std::filesystem::path& path, const bench::GeneratorOptions& g) {
  std::ofstream file(path, std::ios::binary);
  for (const std::string& line : bench::GenerateStatement(g))
    file << line << "\r\n";
  return path.string();
}

long PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int RunLayout(const importers::Layout& layout, const BenchOptions& options) {
  std::string name(layout.name);
  std::filesystem::path folder = std::filesystem::path(options.folder) / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::string uri = "sqlite:" + (folder / "extrato.db").string();
  server::LoadDemo(uri);
  RegisterAccounts(uri, bench::GeneratedAccounts(layout, options.accounts));
  std::string path =
      WriteStatement(folder / "extrato.txt", {&layout, options.movements, options.accounts, 1});

  server::EmbeddedServer embedded(uri);
  host::Config().web_url = "127.0.0.1";
  host::Config().web_port = embedded.port();
  host::Config().database_uri = uri;
  host::RecordingUiServices ui;
  host::GetApplication().SetUiServices(&ui);
  std::map<std::string, int> calls;
  host::SetTransportFactory([&calls](const std::string& host, int port) {
    return std::make_unique<CountingTransport>(host::HttpTransportFactory()(host, port), calls);
  });
  CriaImpExtBanc();
  frmImpExtBanc->medCdBanco.SetText(bench::BankOf(layout));
  frmImpExtBanc->edtNmArquivo.SetText(path);
  calls.clear();

  Clock::time_point start = Clock::now();
  host::EventOutcome outcome =
      host::GetApplication().Dispatch([] { frmImpExtBanc->sbtConfirma.Click(); });
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  long stored = StoredMovements(uri);
  int total = 0;
  std::string by_method;
  for (const auto& [method, count] : calls) {
    total += count;
    by_method += fmt::format(" {}={}", method, count);
  }
  fmt::print(
      "{:<10} {:>8} movements in {:>6.2f} s: {:>8.0f} movements/s; {} remote calls ({});"
      " peak memory {:.1f} MiB\n",
      name, stored, seconds, stored / seconds, total, by_method.substr(1),
      PeakMemoryKiB() / 1024.0);
  std::vector<std::string> texts = ui.texts();
  bool ok = outcome == host::EventOutcome::kCompleted && stored == options.movements;
  if (!ok)
    fmt::print("  failed: {}\n", texts.empty() ? "no message" : texts.back());
  host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
  host::SetTransportFactory(nullptr);
  host::GetApplication().SetUiServices(nullptr);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  options.folder = (std::filesystem::temp_directory_path() / "extrato-import-bench").string();
  CLI::App app{"Import of generated statement files, end to end over HTTP on SQLite."};
  app.add_option("--folder", options.folder, "where the databases and files go");
  app.add_option("--movements", options.movements, "movements of each file");
  app.add_option("--accounts", options.accounts, "statements of each file")
      ->check(CLI::Range(1, 100));
  std::vector<std::string> names;
  for (const importers::Layout& row : importers::Layouts())
    names.emplace_back(row.name);
  app.add_option("--layout", options.layouts, "layouts of the table (default: every one)")
      ->check(CLI::IsMember(names));
  CLI11_PARSE(app, argc, argv);
  if (options.layouts.empty())
    options.layouts = names;

  int failures = 0;
  for (const std::string& name : options.layouts) {
    const importers::Layout& layout = *importers::FindLayout(name);
    std::cout.flush();
    pid_t child = fork();
    if (child == 0) {
      int status = RunLayout(layout, options);
      std::fflush(stdout);
      _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      ++failures;
  }
  return failures == 0 ? 0 : 1;
}
