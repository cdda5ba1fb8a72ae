// extrato import through the real executable, on the embedded server and
// against a running `extrato serve`.

#include <filesystem>
#include <fstream>
#include <memory>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/soci.h"
#include "process.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "testing/test_certificate.h"
#include "testing/test_database.h"

namespace {

using nlohmann::json;

const std::string kSource = EXTRATO_SOURCE_DIR;
const std::string kBradesco = kSource + "/samples/bradesco-200.txt";
const std::string kFebraban = kSource + "/samples/febraban-240.txt";
constexpr int kBradescoMovements = 8;
constexpr int kFebrabanMovements = 8;

using server::testing::Backend;

// Every case on SQLite and, when the run has one, on PostgreSQL through its URI.
class ImportCommandTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!server::testing::Available(GetParam()))
      GTEST_SKIP() << server::testing::kNoPostgresql;
    database_ = std::make_unique<server::testing::TestDatabase>(GetParam());
    folder_ = database_->folder();
    if (folder_.empty()) {
      folder_ = std::filesystem::temp_directory_path() / database_->schema();
      std::filesystem::create_directories(folder_);
    }
    uri_ = database_->uri();
    server::LoadDemo(uri_);
    server::Connect(sql_, server::ParseDatabaseUri(uri_));
  }

  void TearDown() override {
    if (!database_)
      return;
    sql_.close();
    std::filesystem::remove_all(folder_);
    database_.reset();
  }

  // `extrato import` on the test's database, with --json; more arguments after.
  cli_test::ProcessResult Import(const std::string& bank, const std::string& file,
                                 std::vector<std::string> more = {}) {
    std::vector<std::string> argv = {EXTRATO_CLI, "import", "--bank", bank,    "--file",
                                     file,        "--db",   uri_,     "--json"};
    argv.insert(argv.end(), more.begin(), more.end());
    return cli_test::RunProcess({argv, {}, ""});
  }

  static json Report(const cli_test::ProcessResult& result) {
    json report = json::parse(result.out, nullptr, false);
    EXPECT_FALSE(report.is_discarded()) << "stdout: " << result.out << "\nstderr: " << result.err;
    return report;
  }

  // The report's messages as "key|kind|text".
  static std::vector<std::string> Messages(const json& report) {
    std::vector<std::string> messages;
    for (const json& message : report.value("messages", json::array())) {
      messages.push_back(fmt::format(
          "{}|{}|{}", message["key"].is_null() ? "null" : message["key"].get<std::string>(),
          message["kind"].get<std::string>(), message["text"].get<std::string>()));
    }
    return messages;
  }

  int Count(const std::string& table) {
    int count = 0;
    sql_ << "SELECT COUNT(*) FROM " + table, soci::into(count);
    return count;
  }

  // The folder remembered for the file dialog.
  std::string Folder() {
    std::string folder;
    sql_ << "SELECT DSDIRETORIO FROM DIRETORIO WHERE CDPROGRAMA = 'QAR62700'", soci::into(folder);
    return folder;
  }

  std::unique_ptr<server::testing::TestDatabase> database_;
  std::filesystem::path folder_;
  std::string uri_;
  soci::session sql_;
};

EXTRATO_ON_EVERY_DATABASE(ImportCommandTest);

const std::string kSucesso =
    "Import_Suces|information|A importação de extrato bancário foi realizada com sucesso.";

TEST_P(ImportCommandTest, EmbeddedServerImportsOnceAndThenReportsTheFileImported) {
  auto first = Import("237", kBradesco);
  EXPECT_EQ(0, first.status) << first.err;
  json report = Report(first);
  EXPECT_EQ("success", report["outcome"]);
  EXPECT_EQ(std::vector<std::string>{kSucesso}, Messages(report));
  EXPECT_EQ(kBradescoMovements, Count("MOVREAL"));
  EXPECT_EQ(1, Count("EXTRBANCO"));

  auto second = Import("237", kBradesco);
  EXPECT_EQ(2, second.status) << second.err;
  report = Report(second);
  EXPECT_EQ("aborted", report["outcome"]);
  EXPECT_EQ(std::vector<std::string>{"Arqu_JaImp|error|Arquivo já importado para a conta corrente "
                                     "de código reduzido 001."},
            Messages(report));
  EXPECT_EQ(kBradescoMovements, Count("MOVREAL"));
}

TEST_P(ImportCommandTest, RunningServerImportsOnceAndThenReportsTheFileImported) {
  cli_test::BackgroundProcess serve(
      {{EXTRATO_CLI, "serve", "--db", uri_, "--port", "0"}, {{"EXTRATO_TOKEN", std::nullopt}}, ""});
  std::string line = serve.WaitForLine("http://127.0.0.1:");
  ASSERT_FALSE(line.empty()) << "the server did not start";
  std::string address = line.substr(line.find("http://"));
  address = address.substr(0, address.find('/', 7));

  auto first = Import("237", kBradesco, {"--server", address});
  EXPECT_EQ(0, first.status) << first.err;
  EXPECT_EQ(std::vector<std::string>{kSucesso}, Messages(Report(first)));
  EXPECT_EQ(kBradescoMovements, Count("MOVREAL"));

  auto second = Import("237", kBradesco, {"--server", address});
  EXPECT_EQ(2, second.status);
  EXPECT_EQ("Arqu_JaImp", Report(second)["messages"][0]["key"]);
}

// Over HTTPS the client trusts only the authority it is given: another one is refused
// before anything is sent, and nothing falls back to plain HTTP.
TEST_P(ImportCommandTest, RunningServerOverTlsImportsOnlyWithTheAuthorityOfItsCertificate) {
  auto served = testing_support::MakeSelfSignedCertificate(folder_, "servidor");
  auto stranger = testing_support::MakeSelfSignedCertificate(folder_, "outro");
  cli_test::BackgroundProcess serve({{EXTRATO_CLI, "serve", "--db", uri_, "--port", "0",
                                      "--tls-cert", served.certificate, "--tls-key", served.key},
                                     {{"EXTRATO_TOKEN", std::nullopt}},
                                     ""});
  std::string line = serve.WaitForLine("https://127.0.0.1:");
  ASSERT_FALSE(line.empty()) << "the server did not start";
  std::string address = line.substr(line.find("https://"));
  address = address.substr(0, address.find('/', 8));
  std::string port = address.substr(address.rfind(':') + 1);

  auto refused = Import("237", kBradesco, {"--server", address, "--ca", stranger.certificate});
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ(std::vector<std::string>{fmt::format(
                "null|error|Conexão recusada: o certificado do servidor de aplicação em "
                "127.0.0.1:{} não é confiável (não foi assinado por uma autoridade de {}, ou "
                "não foi emitido para 127.0.0.1).",
                port, stranger.certificate.string())},
            Messages(Report(refused)));
  auto plain = Import("237", kBradesco, {"--server", "http://127.0.0.1:" + port});
  EXPECT_EQ(1, plain.status);
  EXPECT_EQ(std::vector<std::string>{"null|error|O servidor de aplicação recusou a chamada (HTTP "
                                     "400): Este servidor de aplicação só aceita HTTPS: use "
                                     "https:// no endereço do servidor."},
            Messages(Report(plain)));
  EXPECT_EQ(0, Count("MOVREAL"));

  auto trusted = Import("237", kBradesco, {"--server", address, "--ca", served.certificate});
  EXPECT_EQ(0, trusted.status) << trusted.err;
  EXPECT_EQ(std::vector<std::string>{kSucesso}, Messages(Report(trusted)));
  EXPECT_EQ(kBradescoMovements, Count("MOVREAL"));
}

TEST_P(ImportCommandTest, UnknownBankAndMissingFileEndWithTheirMessages) {
  auto unknown = Import("999", kBradesco);
  EXPECT_EQ(1, unknown.status);
  json report = Report(unknown);
  EXPECT_EQ("error", report["outcome"]);
  EXPECT_EQ(std::vector<std::string>{"Banco_NCad|error|Banco não cadastrado."}, Messages(report));

  auto missing = Import("237", (folder_ / "nao-existe.txt").string());
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ(std::vector<std::string>{"Arq_N_Exist|error|Arquivo não existe."},
            Messages(Report(missing)));

  auto empty_bank = Import("", kBradesco);
  EXPECT_EQ(1, empty_bank.status) << "an empty field, not a usage error";
  EXPECT_EQ(std::vector<std::string>{"Banco_Inf|error|Banco deve ser informado."},
            Messages(Report(empty_bank)));
  EXPECT_EQ(0, Count("MOVREAL"));
}

TEST_P(ImportCommandTest, QuestionAnsweredNaoCancelsAndStoresNothingTwice) {
  ASSERT_EQ(0, Import("001", kFebraban).status);
  ASSERT_EQ(kFebrabanMovements, Count("MOVREAL"));
  const std::vector<std::string> cancelled = {
      "Mov_JaImp|question|Já existe uma movimentação com mesmo número, valor e data importada no "
      "sistema, deseja realizar a importação?",
      "Import_Cancel|warning|Importação cancelada com sucesso."};

  auto no = Import("001", kFebraban, {"--no"});
  EXPECT_EQ(2, no.status);
  json report = Report(no);
  EXPECT_EQ("aborted", report["outcome"]);
  EXPECT_EQ(cancelled, Messages(report));

  // Nobody at a terminal to answer: "Não".
  auto unattended = Import("001", kFebraban);
  EXPECT_EQ(2, unattended.status);
  EXPECT_EQ(cancelled, Messages(Report(unattended)));
  EXPECT_EQ(kFebrabanMovements, Count("MOVREAL"));

  // "Sim" imports the movements not stored yet: here, none.
  auto yes = Import("001", kFebraban, {"--yes"});
  EXPECT_EQ(2, yes.status);
  EXPECT_EQ((std::vector<std::string>{cancelled[0],
                                      "Arqu_JaImp|error|Arquivo já importado para a conta corrente "
                                      "de código reduzido 014."}),
            Messages(Report(yes)));
  EXPECT_EQ(kFebrabanMovements, Count("MOVREAL"));
}

TEST_P(ImportCommandTest, PlainOutputShowsTheMessagesOnStderrAndARelativePathIsMadeAbsolute) {
  std::string argv0 = EXTRATO_CLI;
  auto result = cli_test::RunProcess(
      {{argv0, "import", "--bank", "237", "--file", "samples/bradesco-200.txt", "--db", uri_},
       {},
       kSource});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("A importação de extrato bancário foi realizada com sucesso.\n", result.err)
      << "no progress bar when stderr is not a terminal";
  EXPECT_EQ(std::filesystem::canonical(kSource).string() + "/samples/", Folder());

  auto again = cli_test::RunProcess(
      {{argv0, "import", "--bank", "237", "--file", kBradesco, "--db", uri_}, {}, ""});
  EXPECT_EQ(2, again.status);
  EXPECT_EQ("Erro: Arquivo já importado para a conta corrente de código reduzido 001.\n",
            again.err);
  EXPECT_NE(std::string::npos, again.out.find("0 novos (não gravados), 8 já gravados antes"))
      << "the summary, on stdout: " << again.out;
}

TEST_P(ImportCommandTest, DefaultDatabaseThatDoesNotExistIsRefusedNotCreated) {
  std::filesystem::path data_home = folder_ / "dados";
  auto result =
      cli_test::RunProcess({{EXTRATO_CLI, "import", "--bank", "237", "--file", kBradesco, "--json"},
                            {{"XDG_DATA_HOME", data_home.string()}, {"EXTRATO_DB", std::nullopt}},
                            ""});
  EXPECT_EQ(1, result.status);
  std::string db = "sqlite:" + (data_home / "extrato" / "extrato.db").string();
  EXPECT_EQ(
      std::vector<std::string>{"null|error|O banco de dados " + db +
                               " não existe: use extrato db init --db " + db + " para criá-lo."},
      Messages(Report(result)));
  EXPECT_FALSE(std::filesystem::exists(data_home / "extrato" / "extrato.db"));
}

TEST_P(ImportCommandTest, UnreachableServerIsAnErrorInPortuguese) {
  auto result = Import("237", kBradesco, {"--server", "http://127.0.0.1:1"});
  EXPECT_EQ(1, result.status);
  json report = Report(result);
  EXPECT_EQ("error", report["outcome"]);
  ASSERT_EQ(1u, report["messages"].size());
  EXPECT_NE(std::string::npos,
            report["messages"][0]["text"].get<std::string>().find("servidor de aplicação"));
  EXPECT_EQ(0, Count("MOVREAL"));
}

TEST_P(ImportCommandTest, BadUsageEndsWithStatus64) {
  const std::vector<std::vector<std::string>> usages = {
      {EXTRATO_CLI, "import", "--bank", "237"},
      {EXTRATO_CLI, "import", "--dry-run", "--file", kBradesco, "--failed", "/tmp"},
      {EXTRATO_CLI, "import", "--bank", "237", "--file", kBradesco, "--yes", "--no"},
      {EXTRATO_CLI, "import", "--bank", "237", "--file", kBradesco, "--account-type", "Poupança"},
      {EXTRATO_CLI, "import", "--bank", "237", "--file", kBradesco, "--server", "ftp://x"},
  };
  for (const auto& argv : usages) {
    auto result = cli_test::RunProcess({argv, {}, ""});
    EXPECT_EQ(64, result.status) << argv.back();
    EXPECT_EQ("", result.out) << argv.back();
    EXPECT_NE("", result.err) << argv.back();
  }
}

}  // namespace
