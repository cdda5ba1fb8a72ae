// Many clerks at once: `extrato import` processes through two `extrato serve` over one
// database, each importing one of four overlapping files of one account (banks export
// "the last days" every day). Every client ends in one pass with success or a true
// "already imported"; each movement is stored once; the tables equal those of the
// same imports replayed one after another in the order the server committed them.
// Previews of the same files run beside them and leave nothing.
//
// Short in `make test`; EXTRATO_MANY_CLIENTS=long (make soak) runs 16 clients, files
// of 8,000 movements and three repetitions, and prints a table.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <thread>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "layouts/layouts.h"
#include "process.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "testing/test_database.h"
#include "tools/statements/statement_generator.h"

namespace {

using server::testing::Backend;
using Lines = std::vector<std::string>;

struct Scale {
  int clients;
  int file_movements;  // each file; neighbours share half of them
  int repetitions;
};

Scale ChosenScale() {
  const char* chosen = std::getenv("EXTRATO_MANY_CLIENTS");
  if (chosen != nullptr && std::string(chosen) == "long")
    return {16, 8000, 3};
  return {8, 100, 1};
}

// The lines of the statement from `first` to `last` (movement indexes), in a file of
// its own: the same header, initial balance, final balance and trailer for all.
Lines Slice(const Lines& whole, int first, int last) {
  std::size_t movements = whole.size() - 4;
  Lines lines = {whole[0], whole[1]};
  lines.insert(lines.end(), whole.begin() + 2 + first, whole.begin() + 2 + last + 1);
  lines.push_back(whole[2 + movements]);
  lines.push_back(whole[3 + movements]);
  return lines;
}

std::string Address(cli_test::BackgroundProcess& serve) {
  std::string line = serve.WaitForLine("http://127.0.0.1:");
  if (line.empty())
    return "";
  std::string address = line.substr(line.find("http://"));
  return address.substr(0, address.find('/', 7));
}

struct Outcome {
  int status = -1;
  std::string key;  // of the last message that has one
  // What the summary counted of the file's movements.
  int fresh = 0;
  int stored_before = 0;
};

class ManyClientsTest
    : public ::testing::TestWithParam<std::tuple<Backend, std::string_view /*layout*/>> {
 protected:
  void SetUp() override {
    if (!server::testing::Available(std::get<0>(GetParam())))
      GTEST_SKIP() << server::testing::kNoPostgresql;
    layout_ = importers::FindLayout(std::get<1>(GetParam()));
    ASSERT_NE(layout_, nullptr);
    folder_ = std::filesystem::temp_directory_path() /
              fmt::format("extrato-clientes-{}-{}", getpid(), counter_++);
    std::filesystem::create_directories(folder_);
    scale_ = ChosenScale();
    MakeFiles();
  }

  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Four files of `file_movements`, each starting half a file after the one before.
  void MakeFiles() {
    int half = scale_.file_movements / 2;
    Lines whole = bench::GenerateStatement({layout_, 5L * half, 1, 7});
    for (int k = 0; k < 4; ++k) {
      std::string path = (folder_ / fmt::format("dia{}.txt", k + 1)).string();
      std::ofstream out(path, std::ios::binary);
      for (const std::string& line : Slice(whole, k * half, k * half + 2 * half - 1))
        out << line << "\r\n";
      files_.push_back(path);
    }
    distinct_ = 5 * half;
  }

  Outcome Import(const std::string& file, const std::string& server, const std::string& uri,
                 bool preview = false) {
    // The bank query reads the database itself, also beside a server.
    std::vector<std::string> argv = {EXTRATO_CLI, "import", "--bank", bench::BankOf(*layout_),
                                     "--file",    file,     "--yes",  "--json",
                                     "--db",      uri};
    if (!server.empty())
      argv.insert(argv.end(), {"--server", server});
    if (preview)
      argv.push_back("--dry-run");
    cli_test::ProcessResult result = cli_test::RunProcess({argv, {{"EXTRATO_TOKEN", {}}}, ""});
    nlohmann::json report = nlohmann::json::parse(result.out, nullptr, false);
    Outcome outcome{result.status, ""};
    if (!report.is_discarded() && !report["messages"].empty()) {
      // The last message that has a key: a preview's closing notice has none.
      for (const nlohmann::json& message : report["messages"]) {
        if (message["key"].is_string())
          outcome.key = message["key"].get<std::string>();
      }
      const nlohmann::json& counted = report["result"]["movements"];
      outcome.fresh = counted.value("new", 0);
      outcome.stored_before = counted.value("stored_already", 0);
    }
    if (outcome.status != 0 && outcome.key != "Arqu_JaImp")
      ADD_FAILURE() << file << ": " << result.status << "\n" << result.out << "\n" << result.err;
    return outcome;
  }

  // Every statement and movement, row by row, without the import numbers.
  static Lines Tables(soci::session& sql) {
    Lines rows;
    for (const char* query :
         {"SELECT CDREDUCONT || '|' || CDSEQUEXTR || '|' || COALESCE(CAST(DTSALDFIN AS "
          "VARCHAR(10)), '-') FROM EXTRBANCO ORDER BY 1",
          "SELECT CDREDUCONT || '|' || CDSEQUEXTR || '|' || NRSEQMOVREAL || '|' || NRDOCMOVREAL "
          "|| '|' || CAST(DTMOVREAL AS VARCHAR(10)) || '|' || IDMOVREAL FROM MOVREAL ORDER BY 1"}) {
      soci::rowset<std::string> lines = (sql.prepare << query);
      rows.insert(rows.end(), lines.begin(), lines.end());
    }
    return rows;
  }

  static int Count(soci::session& sql, const std::string& query) {
    int count = 0;
    sql << query, soci::into(count);
    return count;
  }

  const importers::Layout* layout_ = nullptr;
  std::filesystem::path folder_;
  Scale scale_;
  Lines files_;
  int distinct_ = 0;
  static inline int counter_ = 0;
};

TEST_P(ManyClientsTest, ImportsInOnePassAndEqualsTheSameImportsOneAfterAnother) {
  Backend backend = std::get<0>(GetParam());
  for (int repetition = 1; repetition <= scale_.repetitions; ++repetition) {
    server::testing::TestDatabase database(backend);
    server::LoadDemo(database.uri());
    cli_test::BackgroundProcess first(
        {{EXTRATO_CLI, "serve", "--db", database.uri(), "--port", "0"},
         {{"EXTRATO_TOKEN", {}}},
         ""});
    cli_test::BackgroundProcess second(
        {{EXTRATO_CLI, "serve", "--db", database.uri(), "--port", "0"},
         {{"EXTRATO_TOKEN", {}}},
         ""});
    std::string servers[2] = {Address(first), Address(second)};
    ASSERT_FALSE(servers[0].empty() || servers[1].empty()) << "a server did not start";

    std::vector<Outcome> outcomes(scale_.clients);
    std::vector<std::thread> clients;
    for (int client = 0; client < scale_.clients; ++client) {
      clients.emplace_back([&, client] {
        outcomes[client] = Import(files_[client % 4], servers[client % 2], database.uri());
      });
    }
    // Previews beside them: checked by the server as imports are, and rolled back.
    std::vector<Outcome> previews(files_.size());
    for (std::size_t file = 0; file < files_.size(); ++file) {
      clients.emplace_back([&, file] {
        previews[file] = Import(files_[file], servers[file % 2], database.uri(), true);
      });
    }
    for (std::thread& client : clients)
      client.join();

    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(database.uri()));
    int stored = Count(sql, "SELECT COUNT(*) FROM MOVREAL");
    int distinct = Count(sql,
                         "SELECT COUNT(*) FROM (SELECT DISTINCT CDREDUCONT, NRDOCMOVREAL, "
                         "DTMOVREAL, VRMOVREAL FROM MOVREAL) movimentos");
    int empty_headers = Count(sql,
                              "SELECT COUNT(*) FROM EXTRBANCO E WHERE NOT EXISTS (SELECT 1 FROM "
                              "MOVREAL M WHERE M.CDREDUCONT = E.CDREDUCONT AND M.CDSEQUEXTR = "
                              "E.CDSEQUEXTR)");
    // Each import's movements came from the file its history row names.
    std::vector<std::string> order;
    soci::rowset<soci::row> logs =
        (sql.prepare
         << "SELECT CAST(NRLOGIMP AS VARCHAR(20)), NMARQUIVO FROM LOGIMPEXTR ORDER BY NRLOGIMP");
    int named_right = 0, history_rows = 0;
    for (const soci::row& log : logs) {
      ++history_rows;
      std::string file = log.get_indicator(1) == soci::i_ok ? log.get<std::string>(1) : "";
      order.push_back(file);
      std::ifstream in(file);
      std::string text((std::istreambuf_iterator<char>(in)), {});
      soci::rowset<std::string> documents =
          (sql.prepare << "SELECT NRDOCMOVREAL FROM MOVREAL WHERE NRLOGIMP = " +
                              log.get<std::string>(0));
      bool all_from_file = !text.empty();
      for (const std::string& document : documents) {
        std::string digits =
            document.substr(std::min(document.find_first_not_of('0'), document.size()));
        all_from_file = all_from_file && text.find(digits) != std::string::npos;
      }
      named_right += all_from_file ? 1 : 0;
    }
    int succeeded = 0, fresh = 0;
    for (const Outcome& outcome : outcomes) {
      succeeded += outcome.status == 0 || outcome.key == "Arqu_JaImp" ? 1 : 0;
      fresh += outcome.fresh;
      EXPECT_EQ(outcome.fresh + outcome.stored_before, scale_.file_movements)
          << "a summary counts every movement of its file once";
    }
    EXPECT_EQ(fresh, stored) << "the summaries' new movements add up to the rows stored";
    for (const Outcome& preview : previews) {
      EXPECT_EQ(preview.fresh + preview.stored_before, scale_.file_movements)
          << "a preview counts every movement of its file once";
    }

    EXPECT_EQ(succeeded, scale_.clients) << "every client in the first pass";
    EXPECT_EQ(stored, distinct_) << "each movement stored once";
    EXPECT_EQ(distinct, distinct_);
    EXPECT_EQ(empty_headers, 0);
    EXPECT_EQ(named_right, history_rows) << "history rows naming the file they came from";

    // The same imports, one after another, in the order they committed.
    server::testing::TestDatabase replay(backend);
    server::LoadDemo(replay.uri());
    for (const std::string& file : order)
      Import(file, "", replay.uri());
    soci::session replay_sql;
    server::Connect(replay_sql, server::ParseDatabaseUri(replay.uri()));
    EXPECT_EQ(Tables(sql), Tables(replay_sql));

    std::cout << fmt::format(
        "| {} | {} | {} | {}/{} clients in one pass | {} rows | {} distinct | {} duplicates | "
        "{} empty headers | {}/{} history rows name their file |\n",
        std::get<1>(GetParam()), server::testing::BackendName({backend, 0}), repetition, succeeded,
        scale_.clients, stored, distinct, stored - distinct, empty_headers, named_right,
        history_rows);
  }
}

// An import killed, interrupted, answered "Não" or refused leaves the statements as
// they were: a run stores nothing but by its one submission, all or nothing.
class StoppedImportTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!server::testing::Available(GetParam()))
      GTEST_SKIP() << server::testing::kNoPostgresql;
    database_ = std::make_unique<server::testing::TestDatabase>(GetParam());
    server::LoadDemo(database_->uri());
    server::Connect(sql_, server::ParseDatabaseUri(database_->uri()));
    folder_ = std::filesystem::temp_directory_path() / fmt::format("extrato-parado-{}", getpid());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    if (database_)
      std::filesystem::remove_all(folder_);
  }

  // The statement of the layout's demonstration account, from `seed`: every seed
  // gives the same opening day, so later files continue the stored statement.
  std::string File(std::string_view layout, long movements, std::uint64_t seed) {
    Lines lines = bench::GenerateStatement({importers::FindLayout(layout), movements, 1, seed});
    std::string path = (folder_ / fmt::format("{}-{}.txt", layout, seed)).string();
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines)
      out << line << "\r\n";
    return path;
  }

  std::vector<std::string> Argv(std::string_view layout, const std::string& file,
                                std::vector<std::string> more) {
    std::vector<std::string> argv = {
        EXTRATO_CLI, "import", "--bank", bench::BankOf(*importers::FindLayout(layout)),
        "--file",    file,     "--db",   database_->uri()};
    argv.insert(argv.end(), more.begin(), more.end());
    return argv;
  }

  Lines Headers() {
    Lines rows;
    soci::rowset<std::string> lines =
        (sql_.prepare << "SELECT CDREDUCONT || '|' || CDSEQUEXTR || '|' || COALESCE(CAST(DTSALDFIN "
                         "AS VARCHAR(10)), '-') || '|' || COALESCE(CAST(CAST(ROUND(VRSALDFIM * "
                         "100) AS BIGINT) AS VARCHAR(20)), '-') FROM EXTRBANCO ORDER BY 1");
    rows.insert(rows.end(), lines.begin(), lines.end());
    return rows;
  }

  int Count(const std::string& table) {
    int count = 0;
    sql_ << "SELECT COUNT(*) FROM " + table, soci::into(count);
    return count;
  }
  int Imports() { return Count("LOGIMPEXTR"); }

  std::unique_ptr<server::testing::TestDatabase> database_;
  soci::session sql_;
  std::filesystem::path folder_;
};

TEST_P(StoppedImportTest, KilledInterruptedAnsweredNaoOrRefusedStoresNothing) {
  ASSERT_EQ(cli_test::RunProcess({Argv("bradesco", File("bradesco", 200, 1), {}), {}, ""}).status,
            0);
  ASSERT_EQ(cli_test::RunProcess({Argv("febraban", File("febraban", 200, 1), {}), {}, ""}).status,
            0);
  Lines before = Headers();
  int imports = Imports();
  int movements = Count("MOVREAL");
  // A long file that continues the stored statement and closes it otherwise.
  std::string longer = File("bradesco", 60000, 2);

  for (int signal : {SIGKILL, SIGINT}) {
    cli_test::BackgroundProcess run({Argv("bradesco", longer, {}), {}, ""});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    run.Signal(signal);
    cli_test::ProcessResult ended = run.Wait();
    if (Imports() == imports) {
      EXPECT_EQ(Headers(), before) << "signal " << signal;
      EXPECT_EQ(Count("MOVREAL"), movements) << "signal " << signal;
    } else {
      // It was quicker than the signal: then it stored all of it, in one go, and
      // Ctrl-C, which cannot stop a submission begun, leaves it a success.
      ++imports;
      if (signal == SIGINT) {
        EXPECT_EQ(ended.status, 0) << ended.err;
      }
      before = Headers();
      movements = Count("MOVREAL");
    }
  }

  // "Não" to the stored first movement, and a file stored whole that states another
  // closing balance.
  cli_test::ProcessResult nao =
      cli_test::RunProcess({Argv("febraban", File("febraban", 300, 1), {"--no"}), {}, ""});
  EXPECT_EQ(nao.status, 2) << nao.err;
  std::string restated = File("bradesco", 200, 1);
  {
    std::ifstream in(restated);
    Lines lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    char& digit = lines[lines.size() - 2][99];  // of the closing balance's integer part
    digit = digit == '9' ? '8' : '9';
    std::ofstream out(restated, std::ios::binary);
    for (const std::string& line : lines)
      out << line << "\n";
  }
  cli_test::ProcessResult refused = cli_test::RunProcess({Argv("bradesco", restated, {}), {}, ""});
  EXPECT_EQ(refused.status, 2) << refused.err;
  EXPECT_EQ(Headers(), before);
  EXPECT_EQ(Imports(), imports);
  EXPECT_EQ(Count("MOVREAL"), movements);
}

EXTRATO_ON_EVERY_DATABASE(StoppedImportTest);

INSTANTIATE_TEST_SUITE_P(Databases, ManyClientsTest,
                         ::testing::Combine(::testing::Values(Backend::kSqlite,
                                                              Backend::kPostgresql),
                                            ::testing::Values(std::string_view("bradesco"),
                                                              std::string_view("febraban"))),
                         [](const auto& info) {
                           return fmt::format(
                               "{}_{}", server::testing::BackendName({std::get<0>(info.param), 0}),
                               std::get<1>(info.param));
                         });

}  // namespace
