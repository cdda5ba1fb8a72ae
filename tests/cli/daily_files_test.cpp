// extrato import of the daily routine: files that name their bank, folders of
// files, files moved once done, and gaps between an account's statements.

#include <signal.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include <fmt/chrono.h>
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

namespace fs = std::filesystem;
using nlohmann::json;
using server::testing::Backend;

const fs::path kSamples = fs::path(EXTRATO_SOURCE_DIR) / "samples";
constexpr int kExampleFiles = 6;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Every JSON line of the output.
std::vector<json> Lines(const std::string& out) {
  std::vector<json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    lines.push_back(json::parse(line, nullptr, false));
  return lines;
}

std::vector<std::string> Texts(const json& report) {
  std::vector<std::string> texts;
  for (const json& message : report["messages"])
    texts.push_back(message["text"].get<std::string>());
  return texts;
}

class DailyFilesTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!server::testing::Available(GetParam()))
      GTEST_SKIP() << server::testing::kNoPostgresql;
    database_ = std::make_unique<server::testing::TestDatabase>(GetParam());
    folder_ = fs::temp_directory_path() / fmt::format("extrato-diario-{}-{}", getpid(), ++runs_);
    fs::create_directories(folder_);
    server::LoadDemo(database_->uri());
    server::Connect(sql_, server::ParseDatabaseUri(database_->uri()));
  }

  void TearDown() override {
    if (!database_)
      return;
    sql_.close();
    fs::remove_all(folder_);
    database_.reset();
  }

  cli_test::ProcessResult Import(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "import");
    return cli_test::RunCli(std::move(arguments), database_->uri());
  }

  // A copy of an example file in a folder of the test's.
  fs::path Copy(const std::string& example, const fs::path& folder, const std::string& name = "") {
    fs::create_directories(folder);
    fs::path to = folder / (name.empty() ? example : name);
    fs::copy_file(kSamples / example, to);
    return to;
  }

  int Count(const std::string& query) {
    int count = 0;
    sql_ << query, soci::into(count);
    return count;
  }

  std::unique_ptr<server::testing::TestDatabase> database_;
  fs::path folder_;
  soci::session sql_;
  static inline int runs_ = 0;
};

TEST_P(DailyFilesTest, FolderOfExampleFilesImportsOnceAndThenIsAlreadyImported) {
  auto first = Import({"--file", kSamples.string(), "--json"});
  EXPECT_EQ(0, first.status) << first.err;
  std::vector<json> lines = Lines(first.out);
  ASSERT_EQ(kExampleFiles + 1u, lines.size()) << first.out;
  for (int i = 0; i < kExampleFiles; ++i) {
    EXPECT_EQ("success", lines[i]["outcome"]) << lines[i];
    EXPECT_EQ(fs::path(lines[i]["file"].get<std::string>()).parent_path(), kSamples);
  }
  EXPECT_EQ(json::parse(R"({"success": 6})"), lines.back()["outcomes"]);
  EXPECT_EQ(0, lines.back()["status"]);
  int stored = Count("SELECT COUNT(*) FROM MOVREAL");

  auto again = Import({"--file", kSamples.string(), "--yes"});
  EXPECT_EQ(0, again.status) << again.err;
  std::size_t table = again.out.find("\nArquivo ");
  ASSERT_NE(std::string::npos, table) << again.out;
  std::string rows = again.out.substr(table);
  for (const char* file : {"bradesco-200.txt", "febraban-240.txt", "itau-200.txt", "itau-240.txt",
                           "real-240.txt", "santander-240.txt"}) {
    std::size_t row = rows.find(file);
    ASSERT_NE(std::string::npos, row) << file << "\n" << rows;
    EXPECT_NE(std::string::npos, rows.substr(row, rows.find('\n', row) - row).find("já importado"))
        << rows;
  }
  EXPECT_EQ(stored, Count("SELECT COUNT(*) FROM MOVREAL"));
}

TEST_P(DailyFilesTest, SeveralBanksThatReadTheFileAreNamedAndNoneIsPicked) {
  sql_ << "INSERT INTO BANCO VALUES ('741', 'ITAÚ SEGUNDA CONTA', '341', '99999-9')";
  sql_ << "INSERT INTO LAYOUTBANCO VALUES ('1', '741', '240')";
  auto result = Import({"--file", (kSamples / "itau-240.txt").string(), "--json"});
  EXPECT_EQ(1, result.status);
  json report = json::parse(result.out);
  EXPECT_EQ("error", report["outcome"]);
  EXPECT_EQ(std::vector<std::string>{"O arquivo traz o banco 341, que mais de um banco cadastrado "
                                     "lê em 240 colunas: 341 (ITAÚ UNIBANCO S.A.), 741 (ITAÚ "
                                     "SEGUNDA CONTA)."},
            Texts(report));
  EXPECT_EQ(0, Count("SELECT COUNT(*) FROM MOVREAL"));
  // The other width of the same code still names its one bank.
  auto itau_200 = Import({"--file", (kSamples / "itau-200.txt").string()});
  EXPECT_EQ(0, itau_200.status) << itau_200.err;
  EXPECT_NE(std::string::npos,
            itau_200.err.find("Banco 641 (ITAÚ UNIBANCO - 200 COLUNAS) reconhecido pelo arquivo."))
      << itau_200.err;
}

TEST_P(DailyFilesTest, FilesThatNameNoBankAreRefusedInPortuguese) {
  Write(folder_ / "vazio.txt", "");
  Write(folder_ / "texto.txt", "Extrato de janeiro\nsaldo 100,00\n");
  std::string febraban = Read(kSamples / "febraban-240.txt");
  std::string unknown = febraban;
  for (std::size_t line = 0; line < unknown.size(); line = unknown.find('\n', line) + 1) {
    unknown.replace(line, 3, "999");
    if (unknown.find('\n', line) == std::string::npos)
      break;
  }
  Write(folder_ / "banco-999.txt", unknown);
  struct Case {
    const char* file;
    const char* text;
  } cases[] = {
      {"vazio.txt",
       "As linhas do arquivo não têm a largura de um extrato (200 ou 240 colunas): não foi "
       "possível reconhecer o banco."},
      {"texto.txt",
       "As linhas do arquivo não têm a largura de um extrato (200 ou 240 colunas): não foi "
       "possível reconhecer o banco."},
      {"banco-999.txt", "Nenhum banco cadastrado tem o código 999, que o arquivo traz."},
  };
  for (const Case& c : cases) {
    auto result = Import({"--file", (folder_ / c.file).string(), "--json"});
    EXPECT_EQ(1, result.status) << c.file;
    json report = json::parse(result.out);
    ASSERT_EQ(1u, report["messages"].size()) << c.file;
    EXPECT_EQ(c.text, report["messages"][0]["text"]) << c.file;
    EXPECT_EQ("Informe o banco com --bank CÓDIGO (veja: extrato bancos).",
              report["messages"][0]["detail"])
        << c.file;
  }
}

TEST_P(DailyFilesTest, MixedFolderEndsWithOneTableAndEveryFileInOnePlace) {
  fs::path inbox = folder_ / "entrada";
  fs::path processed = folder_ / "processados";
  fs::path failed = folder_ / "falhas";
  fs::create_directories(failed);
  Copy("bradesco-200.txt", inbox, "1-bradesco.txt");
  Copy("itau-240.txt", inbox, "2-itau.ret");
  Write(inbox / "3-quebrado.txt", std::string(240, 'x') + "\n");
  Write(inbox / ".4-oculto.txt", "");
  Write(inbox / "5-notas.md", "");
  fs::create_directories(inbox / "6-pasta.txt");
  // Stored already, and a file of that name waits in the processed folder.
  ASSERT_EQ(0, Import({"--bank", "237", "--file", (inbox / "1-bradesco.txt").string()}).status);
  Copy("febraban-240.txt", processed, "1-bradesco.txt");

  auto result = Import({"--file", inbox.string(), "--processed", processed.string(), "--failed",
                        failed.string(), "--json"});
  EXPECT_EQ(1, result.status) << result.err;
  std::vector<json> lines = Lines(result.out);
  ASSERT_EQ(4u, lines.size()) << result.out;
  EXPECT_EQ(true, lines[0]["already_imported"]);
  EXPECT_EQ((processed / "1-bradesco.1.txt").string(), lines[0]["moved_to"]);
  EXPECT_EQ("success", lines[1]["outcome"]);
  EXPECT_EQ("341", lines[1]["bank"]);
  EXPECT_EQ((processed / "2-itau.ret").string(), lines[1]["moved_to"]);
  EXPECT_EQ("error", lines[2]["outcome"]);
  EXPECT_EQ((failed / "3-quebrado.txt").string(), lines[2]["moved_to"]);
  EXPECT_EQ(json::parse(R"({"already_imported": 1, "success": 1, "error": 1})"),
            lines[3]["outcomes"]);
  EXPECT_EQ(1, lines[3]["status"]);
  // Nothing lost, nothing overwritten.
  EXPECT_EQ(Read(kSamples / "febraban-240.txt"), Read(processed / "1-bradesco.txt"));
  EXPECT_EQ(Read(kSamples / "bradesco-200.txt"), Read(processed / "1-bradesco.1.txt"));
  EXPECT_EQ(Read(kSamples / "itau-240.txt"), Read(processed / "2-itau.ret"));
  EXPECT_TRUE(fs::exists(failed / "3-quebrado.txt"));
  for (const char* stays : {".4-oculto.txt", "5-notas.md", "6-pasta.txt"})
    EXPECT_TRUE(fs::exists(inbox / stays)) << stays;
  EXPECT_FALSE(fs::exists(inbox / "1-bradesco.txt"));
  EXPECT_FALSE(fs::exists(inbox / "2-itau.ret"));
}

TEST_P(DailyFilesTest, FileThatCannotBeMovedStaysWhereItIsAndSaysWhy) {
  fs::path inbox = folder_ / "entrada";
  fs::path file = Copy("bradesco-200.txt", inbox);
  fs::path nowhere = folder_ / "nao-existe";
  auto result = Import(
      {"--file", inbox.string(), "--processed", nowhere.string(), "--failed", nowhere.string()});
  EXPECT_EQ(1, result.status) << result.err;
  EXPECT_EQ(Read(kSamples / "bradesco-200.txt"), Read(file));
  EXPECT_NE(std::string::npos, result.err.find("ficou onde estava: não foi possível movê-lo para " +
                                               nowhere.string() + ": a pasta não existe"))
      << result.err;
  EXPECT_NE(std::string::npos, result.out.find("ficou: não foi possível")) << result.out;
  // The import itself is done and stands.
  EXPECT_EQ(8, Count("SELECT COUNT(*) FROM MOVREAL"));
}

TEST_P(DailyFilesTest, BankGivenThatIsNotTheFilesIsWarnedAndStands) {
  auto result = Import({"--bank", "033", "--file", (kSamples / "real-240.txt").string(), "--json"});
  json report = json::parse(result.out);
  std::vector<std::string> texts = Texts(report);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(
      "O arquivo traz o banco 356, e o banco informado, 033 (BANCO SANTANDER (BRASIL) S.A.), tem "
      "o código 033: a importação segue com o banco informado.",
      texts.front());
  EXPECT_EQ("warning", report["messages"][0]["kind"]);
  // The run itself is what the same command gave before the warning existed.
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
            std::vector<std::string>{"Conta corrente não cadastrada."});
  EXPECT_EQ(1, result.status);
}

// A copy of the Bradesco example a month later, opening with `opening` (in cents).
std::string BradescoOfFebruary(long long opening) {
  std::string text = Read(kSamples / "bradesco-200.txt");
  for (std::size_t line = 0; line < text.size(); line = text.find('\n', line) + 1) {
    if (text[line] == '1') {
      text.replace(line + 82, 2, "02");
      if (text[line + 41] == '0')
        text.replace(line + 86, 18, fmt::format("{:018}", opening));
    }
  }
  return text;
}

TEST_P(DailyFilesTest, StatementThatDoesNotFollowOnFromThePreviousOneIsWarned) {
  ASSERT_EQ(0, Import({"--file", (kSamples / "bradesco-200.txt").string()}).status);
  // The January statement closes on Sunday 28/01 with 387.960,97 C.
  Write(folder_ / "fevereiro.txt", BradescoOfFebruary(36491192));
  auto result = Import({"--file", (folder_ / "fevereiro.txt").string(), "--json"});
  EXPECT_EQ(0, result.status) << result.err;
  json statement = json::parse(result.out)["result"]["statements"][0];
  EXPECT_EQ("0000000001", statement["continuity"]["previous"]["code"]);
  EXPECT_EQ(false, statement["continuity"]["balance_follows"]);
  EXPECT_EQ(json::parse(R"(["2024-01-29", "2024-01-30", "2024-01-31", "2024-02-01"])"),
            statement["continuity"]["missing_days"]);
  EXPECT_NE(std::string::npos,
            result.err.find("Aviso: Saldo inicial 364.911,92 C em 02/02 difere do saldo final "
                            "387.960,97 C do extrato anterior, em 28/01: falta algum arquivo?"))
      << result.err;
  EXPECT_NE(std::string::npos,
            result.err.find("Aviso: Sem extrato em 4 dias, de 29/01 a 01/02, entre o extrato "
                            "anterior, até 28/01, e este, de 02/02: falta algum arquivo?"))
      << result.err;
  // The account's listing marks the gap too.
  auto listed = cli_test::RunCli({"extratos", "--conta", "001"}, database_->uri());
  EXPECT_EQ(0, listed.status) << listed.err;
  std::size_t second = listed.out.find("0000000002");
  ASSERT_NE(std::string::npos, second) << listed.out;
  EXPECT_NE(std::string::npos, listed.out.find("saldo; 4 dias", second)) << listed.out;
}

INSTANTIATE_TEST_SUITE_P(Databases, DailyFilesTest,
                         ::testing::Values(Backend::kSqlite, Backend::kPostgresql),
                         [](const auto& info) {
                           return info.param == Backend::kSqlite ? "SQLite" : "PostgreSQL";
                         });

TEST(FolderInterruptedTest, CtrlCAbandonsTheFileBeingReadAndReadsNoMore) {
  server::testing::TestDatabase database(Backend::kSqlite);
  server::LoadDemo(database.uri());
  fs::path inbox = database.folder() / "entrada";
  fs::create_directories(inbox);
  fs::copy_file(kSamples / "bradesco-200.txt", inbox / "1-pequeno.txt");
  // Reading 200,000 movements takes seconds: the run is then reading them.
  std::ofstream large(inbox / "2-grande.txt");
  for (const std::string& line :
       bench::GenerateStatement({importers::FindLayout("bradesco"), 200000, 1, 7}))
    large << line << "\n";
  large.close();
  fs::copy_file(kSamples / "itau-240.txt", inbox / "3-depois.txt");
  // Its stdout, which the table goes to, into /dev/null: the test reads only stderr.
  cli_test::BackgroundProcess import(
      {{"/bin/sh", "-c", "exec \"$0\" import --file \"$1\" --db \"$2\" >/dev/null", EXTRATO_CLI,
        inbox.string(), database.uri()},
       {},
       ""});
  EXPECT_NE("", import.WaitForLine("Arquivo 2 de 3"));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  import.Signal(SIGINT);
  cli_test::ProcessResult result = import.Wait();
  EXPECT_EQ(130, result.status) << result.err;
  EXPECT_NE(std::string::npos, result.err.find("Erro: Importação interrompida.\n")) << result.err;
  EXPECT_EQ(std::string::npos, result.err.find("Arquivo 3 de 3")) << result.err;
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(database.uri()));
  int movements = 0;
  sql << "SELECT COUNT(*) FROM MOVREAL", soci::into(movements);
  EXPECT_EQ(8, movements) << "the first file's, and nothing of the others";
}

// The database after one import, table by table, without the time of the import.
std::vector<std::string> Tables(const std::string& uri) {
  soci::session sql;
  server::Connect(sql, server::ParseDatabaseUri(uri));
  std::vector<std::string> dump;
  for (const char* query :
       {"SELECT * FROM EXTRBANCO ORDER BY 1, 2", "SELECT * FROM MOVREAL ORDER BY 1, 2, 3",
        "SELECT * FROM EXTRLOGIMP ORDER BY 1, 2, 3", "SELECT * FROM VERSAOCONTA ORDER BY 1",
        "SELECT * FROM DIRETORIO ORDER BY 1",
        "SELECT NRLOGIMP, NMMETODO, CDREDUCONT, QTMOVREAL, IDIMPIGUAIS, NMARQUIVO FROM "
        "LOGIMPEXTR ORDER BY 1"}) {
    dump.push_back(query);
    soci::rowset<soci::row> rows = sql.prepare << query;
    for (const soci::row& row : rows) {
      std::string text;
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (row.get_indicator(i) == soci::i_null)
          text += "null|";
        else if (row.get_properties(i).get_data_type() == soci::dt_double)
          text += fmt::format("{:.17g}|", row.get<double>(i));
        else if (row.get_properties(i).get_data_type() == soci::dt_string)
          text += row.get<std::string>(i) + "|";
        else if (row.get_properties(i).get_data_type() == soci::dt_date)
          text += fmt::format("{:%Y-%m-%d}|", row.get<std::tm>(i));
        else if (row.get_properties(i).get_data_type() == soci::dt_integer)
          text += std::to_string(row.get<int>(i)) + "|";
        else
          text += std::to_string(row.get<long long>(i)) + "|";
      }
      dump.push_back(text);
    }
  }
  return dump;
}

TEST(FileNamesItsBankTest, ImportWithoutBankStoresWhatBank341Stores) {
  server::testing::TestDatabase by_code(Backend::kSqlite);
  server::testing::TestDatabase by_file(Backend::kSqlite);
  server::LoadDemo(by_code.uri());
  server::LoadDemo(by_file.uri());
  const std::string file = (kSamples / "itau-240.txt").string();
  auto typed = cli_test::RunCli({"import", "--bank", "341", "--file", file}, by_code.uri());
  auto named = cli_test::RunCli({"import", "--file", file}, by_file.uri());
  EXPECT_EQ(0, typed.status) << typed.err;
  EXPECT_EQ(0, named.status) << named.err;
  EXPECT_EQ("Banco 341 (ITAÚ UNIBANCO S.A.) reconhecido pelo arquivo.\n",
            named.err.substr(0, named.err.find('\n') + 1));
  EXPECT_EQ(typed.out, named.out);
  std::vector<std::string> stored = Tables(by_code.uri());
  EXPECT_GT(stored.size(), 12u);
  EXPECT_EQ(stored, Tables(by_file.uri()));
}

}  // namespace
