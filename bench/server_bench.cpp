// Application server benchmarks, on SQLite and on PostgreSQL:
// - round trips of GetPesqLanc over HTTP keep-alive on loopback against 1,000,000 stored
//   movements (median and 99th percentile);
// - movements stored per second by one Set_Real_Bradesco of 100,000 movements.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

#include <fmt/format.h>
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "server/database.h"
#include "server/http_server.h"
#include "server/movement_writer.h"
#include "server/schema.h"
#include "server/service.h"
#include "server/tables.h"
#include "server/write_transaction.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

struct BenchOptions {
  std::string sqlite_folder;   // where the SQLite database goes; empty: no SQLite run
  std::string postgresql_uri;  // an empty PostgreSQL database; empty: no PostgreSQL run
  int stored = 1'000'000;      // movements stored before the lookups
  int lookups = 20'000;        // GetPesqLanc calls timed, half of them for stored movements
  int submitted = 100'000;     // movements of the one timed Set_Real_Bradesco
};

constexpr int kAccounts = 10;
constexpr int kMovementsPerStatement = 1000;
constexpr int kLoadChunk = 50'000;

double Seconds(Clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

// Movement `i` of the stored set: ten accounts, statements of a thousand movements,
// three years of dates, one document each.
host::Row StoredMovement(long i) {
  long in_account = i / kAccounts;
  auto day =
      std::chrono::sys_days{std::chrono::year{2021} / 1 / 1} + std::chrono::days{in_account / 100};
  return {fmt::format("{:03}", 1 + i % kAccounts),
          fmt::format("{:010}", 1 + in_account / kMovementsPerStatement),
          fmt::format("{:010}", 1 + in_account % kMovementsPerStatement),
          fmt::format("{:020}", i),
          host::Date(std::chrono::year_month_day{day}),
          static_cast<double>(i * 7919 % 10'000'000) / 100.0,
          i % 3 ? "D" : "C",
          "PAGAMENTO FORNECEDOR",
          "1",
          "105",
          "0",
          "0"};
}

// The stored movements belong to no import.
const server::ImportNumbers& LoadNumbers() {
  static const server::ImportNumbers numbers = [] {
    server::ImportNumbers numbers;
    for (int account = 1; account <= kAccounts; ++account)
      numbers[fmt::format("{:03}", account)] = "0";
    return numbers;
  }();
  return numbers;
}

void LoadMovements(const std::string& uri, int count) {
  server::DatabaseUri parsed = server::ParseDatabaseUri(uri);
  soci::session session;
  server::Connect(session, parsed);
  server::WriteTransaction transaction(session, parsed.dialect);
  for (long first = 0; first < count; first += kLoadChunk) {
    host::PackedPacket chunk{server::FieldDefs(server::kMovRealTable), {}};
    for (long i = first; i < std::min<long>(first + kLoadChunk, count); ++i) {
      chunk.rows.Add(StoredMovement(i));
    }
    if (!server::MovementsFit(session, chunk).value() ||
        !server::InsertMovements(session, chunk, LoadNumbers()))
      throw std::runtime_error("load clash");
  }
  transaction.Commit();
  session << "ANALYZE";
}

long Percentile(std::vector<long>& micros, double fraction) {
  auto at = micros.begin() + static_cast<long>(fraction * (micros.size() - 1));
  std::nth_element(micros.begin(), at, micros.end());
  return *at;
}

void TimeLookups(httplib::Client& client, const BenchOptions& options) {
  std::mt19937_64 random(62700);
  std::uniform_int_distribution<long> pick(0, options.stored - 1);
  std::vector<long> micros;
  int found = 0;
  for (int call = 0; call < options.lookups; ++call) {
    host::Row movement = StoredMovement(pick(random));
    if (call % 2)
      movement[3] = fmt::format("{:020}", options.stored + call);  // not stored
    json request = {{"method", "GetPesqLanc"},
                    {"params",
                     {host::FieldValueToJson(movement[0]), host::FieldValueToJson(movement[3]),
                      host::FieldValueToJson(movement[4]), host::FieldValueToJson(movement[5])}}};
    auto start = Clock::now();
    auto response = client.Post(server::kServicePath, request.dump(), "application/json");
    micros.push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
    if (!response || response->status != 200)
      throw std::runtime_error("GetPesqLanc failed");
    found += !json::parse(response->body)["result"]["rows"].empty();
  }
  std::cout << fmt::format(
      "  GetPesqLanc over HTTP keep-alive, {} calls ({} found): median {} µs, p99 {} µs\n",
      options.lookups, found, Percentile(micros, 0.5), Percentile(micros, 0.99));
}

void TimeSubmission(httplib::Client& client, const BenchOptions& options) {
  host::Packet packet{server::FieldDefs(server::kMovRealTable), {}};
  for (long i = 0; i < options.submitted; ++i) {
    host::Row movement = StoredMovement(i);
    movement[0] = "999";  // an account of its own, numbered on its own
    movement[1] = fmt::format("{:010}", 1 + i / kMovementsPerStatement);
    movement[2] = fmt::format("{:010}", 1 + i % kMovementsPerStatement);
    packet.rows.push_back(std::move(movement));
  }
  std::string body =
      json({{"method", "Set_Real_Bradesco"}, {"params", {host::ToJson(packet), nullptr}}}).dump();
  auto start = Clock::now();
  auto response = client.Post(server::kServicePath, body, "application/json");
  double seconds = Seconds(Clock::now() - start);
  if (!response || json::parse(response->body) != json({{"ok", true}, {"result", true}})) {
    throw std::runtime_error("Set_Real_Bradesco failed: " + (response ? response->body : ""));
  }
  std::cout << fmt::format(
      "  Set_Real_Bradesco of {} movements ({:.1f} MB of JSON): {:.2f} s, {:.0f} movements/s\n",
      options.submitted, body.size() / 1e6, seconds, options.submitted / seconds);
}

void Run(const std::string& title, const std::string& uri, const BenchOptions& options) {
  std::cout << title << "\n";
  server::InitSchema(uri);
  auto start = Clock::now();
  LoadMovements(uri, options.stored);
  std::cout << fmt::format("  set-up: {} movements stored in {:.1f} s\n", options.stored,
                           Seconds(Clock::now() - start));
  auto service = server::Service::Open({uri, 2, false});
  server::HttpServerOptions http_options;
  http_options.port = 0;
  http_options.threads = 2;
  server::HttpServer http(*service, http_options);
  httplib::Client client("127.0.0.1", http.Start());
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  client.set_read_timeout(600, 0);
  TimeLookups(client, options);
  TimeSubmission(client, options);
}

// A fresh schema of its own in the given database, so that every run starts empty.
std::string FreshPostgresqlSchema(const std::string& uri) {
  soci::session session;
  server::Connect(session, server::ParseDatabaseUri(uri));
  session << "DROP SCHEMA IF EXISTS extrato_bench CASCADE";
  session << "CREATE SCHEMA extrato_bench";
  return uri + (uri.find('?') == std::string::npos ? "?" : "&") +
         "options=-csearch_path%3Dextrato_bench";
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  CLI::App app{"Benchmarks of the application server"};
  app.add_option("--sqlite", options.sqlite_folder, "Folder for the SQLite database");
  app.add_option("--postgresql", options.postgresql_uri, "URI of an empty PostgreSQL database");
  app.add_option("--stored", options.stored, "Movements stored before the lookups");
  app.add_option("--lookups", options.lookups, "GetPesqLanc calls timed");
  app.add_option("--submitted", options.submitted, "Movements of the timed submission");
  CLI11_PARSE(app, argc, argv);
  try {
    if (!options.sqlite_folder.empty()) {
      std::filesystem::path folder = options.sqlite_folder;
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
      Run("SQLite (WAL, synchronous=NORMAL)", "sqlite:" + (folder / "bench.db").string(), options);
    }
    if (!options.postgresql_uri.empty()) {
      Run("PostgreSQL", FreshPostgresqlSchema(options.postgresql_uri), options);
    }
  } catch (const std::exception& e) {
    std::cerr << "server_bench: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
