#include "server/http_server.h"

#include <atomic>
#include <mutex>
#include <regex>
#include <thread>

#include <httplib.h>

#include <gtest/gtest.h>

#include "host/soci.h"
#include "server/embedded_server.h"
#include "server/users.h"
#include "testing/raw_client.h"
#include "testing/test_certificate.h"
#include "testing/test_database.h"

namespace server::testing {
namespace {

constexpr std::size_t kSmallBody = 4096;
const char* const kDenied = "Acesso negado: token ausente ou inválido.";

using soak::RawClient;
using soak::RawPost;

class HttpServerTest : public ServiceTest {
 protected:
  // Starts a server on a free loopback port and a keep-alive client to it.
  void Serve(HttpServerOptions options = {}) {
    options.port = 0;
    options.max_body = kSmallBody;
    options.threads = 2;
    options.request_timeout = std::chrono::milliseconds(1500);
    options.refusal_delay = kRefusalDelay;
    options.log = [this](const std::string& line) {
      std::lock_guard<std::mutex> hold(log_lock_);
      log_.push_back(line);
    };
    http_ = std::make_unique<HttpServer>(service(), options);
    port_ = http_->Start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_keep_alive(true);
  }

  httplib::Result Post(const std::string& body, const httplib::Headers& headers = {}) {
    return client_->Post(kServicePath, headers, body, "application/json");
  }

  // The status and the parsed body of one call.
  std::pair<int, json> Exchange(const std::string& body, const httplib::Headers& headers = {}) {
    httplib::Result response = Post(body, headers);
    if (!response)
      return {0, json()};
    return {response->status, json::parse(response->body, nullptr, false)};
  }

  static std::string Request(const std::string& method, json params) {
    return json({{"method", method}, {"params", std::move(params)}}).dump();
  }

  const std::string good_call_ = Request("GetPrxMovReal", {"001", 1});
  const json good_answer_ = {{"ok", true}, {"result", "0000000001"}};
  static constexpr std::chrono::milliseconds kRefusalDelay{200};
  // Before the server, which may log until it stops.
  std::mutex log_lock_;
  std::vector<std::string> log_;
  std::unique_ptr<HttpServer> http_;
  int port_ = 0;
  std::unique_ptr<httplib::Client> client_;
};
INSTANTIATE_TEST_SUITE_P(Sqlite, HttpServerTest, ::testing::Values(Backend::kSqlite), BackendName);

json Refusal(const std::string& error) {
  return {{"ok", false}, {"error", error}};
}

TEST_P(HttpServerTest, AnswersCallsOnOneKeptConnection) {
  Serve();
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(Exchange(good_call_), std::make_pair(200, good_answer_));
  EXPECT_EQ(Exchange(Request("GetNada", json::array())),
            std::make_pair(200, Refusal("Método desconhecido: GetNada.")));
}

TEST_P(HttpServerTest, MalformedRequestsAreRefusedAndServingGoesOn) {
  Serve();
  EXPECT_EQ(Exchange("{\"method\": "),
            std::make_pair(400, Refusal("Requisição inválida: JSON malformado.")));
  EXPECT_EQ(Exchange(good_call_), std::make_pair(200, good_answer_));
  EXPECT_EQ(
      Exchange("{\"method\": 7, \"params\": []}"),
      std::make_pair(400, Refusal("Requisição inválida: falta o nome do método (\"method\").")));
  std::string nested = std::string(1000, '[') + std::string(1000, ']');
  EXPECT_EQ(Exchange(Request("Set_Real_Bradesco", {json::parse(nested), nullptr})),
            std::make_pair(400, Refusal("Requisição inválida: JSON aninhado demais.")));
  EXPECT_EQ(Exchange(Request("GetMaskCont", std::string(kSmallBody, '9'))),
            std::make_pair(413, Refusal("Requisição maior que o limite de 4096 bytes.")));
  EXPECT_EQ(Exchange(good_call_), std::make_pair(200, good_answer_));
  httplib::Result other = client_->Get("/outro");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 404);
  EXPECT_EQ(json::parse(other->body),
            Refusal("Caminho desconhecido: use POST /QAR62700.rdmImpExtBanc."));
  EXPECT_EQ(Exchange(good_call_), std::make_pair(200, good_answer_));
}

TEST_P(HttpServerTest, TokenIsAskedWhenSet) {
  HttpServerOptions options;
  options.token = "segredo";
  Serve(options);
  json denied = Refusal("Acesso negado: token ausente ou inválido.");
  EXPECT_EQ(Exchange(good_call_), std::make_pair(401, denied));
  EXPECT_EQ(Exchange(good_call_, {{"Authorization", "Bearer segredo2"}}),
            std::make_pair(401, denied));
  EXPECT_EQ(Exchange(good_call_, {{"Authorization", "Bearer segredo"}}),
            std::make_pair(200, good_answer_));
}

// Each user's token names them; every call is checked against its method's role, and
// a wrong token is refused alike whether its user exists or not, after the same wait.
TEST_P(HttpServerTest, UsersCallWithTheirOwnTokensWithinTheirRoles) {
  soci::session session;
  DatabaseUri parsed = ParseDatabaseUri(uri());
  Connect(session, parsed);
  Users users(session, parsed.dialect);
  std::string reader = users.Add("leitor", Role::kLer);
  std::string clerk = users.Add("ana", Role::kImportar);
  Serve();
  auto as = [](const std::string& token) {
    return httplib::Headers{{"Authorization", "Bearer " + token}};
  };
  EXPECT_EQ(Exchange(Request("GetBancos", json::array()), as(reader)).second["ok"], true);
  EXPECT_EQ(Exchange(good_call_, {{"Authorization", "bEaReR " + clerk}}),
            std::make_pair(200, good_answer_));
  EXPECT_EQ(Exchange(Request("SetDiretorio", json::array()), as(reader)),
            std::make_pair(200, Refusal("Acesso negado: SetDiretorio exige o papel importar, e o "
                                        "usuário leitor tem o papel ler.")));
  EXPECT_EQ(Exchange(Request("DesfazImportacao", {"1"}), as(clerk)),
            std::make_pair(200, Refusal("Acesso negado: DesfazImportacao exige o papel "
                                        "administrar, e o usuário ana tem o papel importar.")));

  std::string wrong_secret = reader.substr(0, reader.size() - 1) + "0";
  if (wrong_secret == reader)
    wrong_secret.back() = '1';
  std::string stranger = "fulano" + reader.substr(reader.find(':'));
  for (const httplib::Headers& headers :
       {httplib::Headers{}, as(wrong_secret), as(stranger), as("ana")}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(good_call_, headers), std::make_pair(401, Refusal(kDenied)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, kRefusalDelay);
  }
  users.Remove("leitor");
  EXPECT_EQ(Exchange(good_call_, as(reader)).first, 401);
}

// Without a valid token every path is refused alike; only the health address answers.
TEST_P(HttpServerTest, StrangersLearnNothingButHealth) {
  HttpServerOptions options;
  options.token = "segredo";
  Serve(options);
  EXPECT_EQ(client_->Get("/outro")->status, 401);
  EXPECT_EQ(client_->Get("/outro", {{"Authorization", "Bearer segredo"}})->status, 404);
  httplib::Result health = client_->Get(kHealthPath);
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
  EXPECT_EQ(json::parse(health->body),
            json({{"ok", true}, {"result", "O banco de dados responde."}}));
}

TEST_P(HttpServerTest, LogsOneLinePerCallWithoutArgumentsOrTokens) {
  HttpServerOptions options;
  options.token = "segredo";
  Serve(options);
  Exchange(good_call_, {{"Authorization", "Bearer segredo"}});
  Exchange(Request("GetNada", json::array()), {{"Authorization", "Bearer segredo"}});
  Exchange(good_call_, {{"Authorization", "Bearer errado"}});
  std::lock_guard<std::mutex> hold(log_lock_);
  ASSERT_EQ(log_.size(), 3u);
  const std::regex line(
      R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ usuario=(\S+) metodo=(\S+) duracao=\d+ms resultado=(.+))");
  const std::vector<std::vector<std::string>> expected = {{"compartilhado", "GetPrxMovReal", "ok"},
                                                          {"compartilhado", "GetNada", "falha"},
                                                          {"-", "-", "token recusado"}};
  for (std::size_t i = 0; i < log_.size(); ++i) {
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(log_[i], parts, line)) << log_[i];
    EXPECT_EQ((std::vector<std::string>{parts[1], parts[2], parts[3]}), expected[i]) << log_[i];
    EXPECT_EQ(log_[i].find("segredo"), std::string::npos);
    EXPECT_EQ(log_[i].find("errado"), std::string::npos);
    EXPECT_EQ(log_[i].find("001"), std::string::npos);
  }
}

// Beyond loopback the token would cross the network: it needs TLS here or at a proxy.
TEST_P(HttpServerTest, AnotherAddressNeedsATokenAndTls) {
  auto refusal = [this](const HttpServerOptions& options) -> std::string {
    HttpServer server(service(), options);
    try {
      server.Start();
      return "";
    } catch (const std::runtime_error& e) {
      return e.what();
    }
  };
  HttpServerOptions options;
  options.host = "0.0.0.0";
  options.port = 0;
  EXPECT_EQ(refusal(options),
            "Recusado: sem --token nem usuários cadastrados (extrato usuarios incluir) o "
            "servidor só escuta em 127.0.0.1, não em 0.0.0.0.");
  options.token = "segredo";
  EXPECT_EQ(refusal(options),
            "Recusado: sem TLS (--tls-cert e --tls-key) o servidor só escuta em 127.0.0.1, não "
            "em 0.0.0.0; se um proxy reverso neste computador faz o TLS, diga-o com "
            "--tls-at-proxy.");
  options.tls_at_proxy = true;
  EXPECT_EQ(refusal(options), "");
  options.tls_at_proxy = false;
  options.tls_cert_file = "/nao/existe.crt";
  EXPECT_EQ(refusal(options), "Recusado: --tls-cert e --tls-key são dados juntos.");
  options.tls_key_file = "/nao/existe.key";
  EXPECT_EQ(refusal(options),
            "Não foi possível ler o certificado TLS em /nao/existe.crt (esperado um arquivo PEM).");
}

class TlsServerTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / fmt::format("extrato_tls_{}", getpid());
    std::filesystem::create_directories(folder_);
    served_ = testing_support::MakeSelfSignedCertificate(folder_, "servidor");
    stranger_ = testing_support::MakeSelfSignedCertificate(folder_, "outro");
    HttpServerOptions options;
    options.tls_cert_file = served_.certificate;
    options.tls_key_file = served_.key;
    Serve(options);
  }
  void TearDown() override {
    HttpServerTest::TearDown();
    std::filesystem::remove_all(folder_);
  }

  // A call over HTTPS from a client that trusts `authority`.
  httplib::Result PostOverTls(const std::filesystem::path& authority, const std::string& host) {
    httplib::Client client(fmt::format("https://{}:{}", host, port_));
    client.enable_server_certificate_verification(true);
    client.set_ca_cert_path(authority.c_str());
    return client.Post(kServicePath, good_call_, "application/json");
  }

  std::filesystem::path folder_;
  testing_support::CertificateFiles served_;
  testing_support::CertificateFiles stranger_;
};
INSTANTIATE_TEST_SUITE_P(Sqlite, TlsServerTest, ::testing::Values(Backend::kSqlite), BackendName);

TEST_P(TlsServerTest, AnswersOverTlsToAClientThatTrustsItsCertificate) {
  for (const char* host : {"127.0.0.1", "localhost"}) {
    httplib::Result response = PostOverTls(served_.certificate, host);
    ASSERT_TRUE(response) << host << ": " << httplib::to_string(response.error());
    EXPECT_EQ(json::parse(response->body), good_answer_);
  }
}

TEST_P(TlsServerTest, AnotherCertificateIsNotTrusted) {
  httplib::Result response = PostOverTls(stranger_.certificate, "127.0.0.1");
  ASSERT_FALSE(response);
  EXPECT_EQ(response.error(), httplib::Error::SSLServerVerification);
  // Still serving those who trust it.
  EXPECT_TRUE(PostOverTls(served_.certificate, "127.0.0.1"));
}

TEST_P(TlsServerTest, PlainHttpIsToldToUseHttps) {
  EXPECT_EQ(Exchange(good_call_),
            std::make_pair(400, Refusal("Este servidor de aplicação só aceita HTTPS: use "
                                        "https:// no endereço do servidor.")));
  EXPECT_TRUE(PostOverTls(served_.certificate, "127.0.0.1"));
}

TEST_P(HttpServerTest, PortInUseIsReported) {
  Serve();
  HttpServerOptions options;
  options.port = port_;
  HttpServer second(service(), options);
  try {
    second.Start();
    FAIL() << "two servers on one port";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), fmt::format("Não foi possível escutar em 127.0.0.1:{} (endereço inválido "
                                    "ou porta em uso).",
                                    options.port));
  }
}

// Connections that trickle a header line at a time, each within the gap a per-byte
// timeout would allow, hold no worker: a normal call still answers at once, and each
// trickler is dropped when its request's whole time is up.
TEST_P(HttpServerTest, TricklingConnectionsNeitherStarveCallsNorStayForever) {
  Serve();
  constexpr int kTricklers = 100;
  std::vector<std::unique_ptr<RawClient>> tricklers;
  for (int i = 0; i < kTricklers; ++i) {
    tricklers.push_back(std::make_unique<RawClient>(port_));
    ASSERT_TRUE(tricklers.back()->connected());
    ASSERT_TRUE(tricklers.back()->Send("POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\n"));
  }
  std::atomic<bool> stop{false};
  std::atomic<int> dropped{0};
  std::thread trickle([&] {
    for (int line = 0; !stop && line < 30; ++line) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      dropped = 0;
      for (auto& trickler : tricklers)
        dropped += trickler->Send(fmt::format("X-Linha-{}: a\r\n", line)) ? 0 : 1;
    }
  });
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Exchange(good_call_), std::make_pair(200, good_answer_));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  stop = true;
  trickle.join();
  int closed = 0;
  for (auto& trickler : tricklers) {
    trickler->Read(std::chrono::milliseconds(10));
    closed += trickler->closed() ? 1 : 0;
  }
  EXPECT_EQ(closed, kTricklers) << "tricklers still open after their request time";
}

TEST_P(HttpServerTest, TokenAndSizeAreCheckedBeforeAnyBodyIsRead) {
  HttpServerOptions options;
  options.token = "segredo";
  Serve(options);
  auto answer_to_headers = [&](const std::string& headers) {
    RawClient client(port_);
    client.Send("POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\nHost: x\r\n" + headers + "\r\n");
    return client.Read(std::chrono::milliseconds(1000));
  };
  std::string huge = "Content-Length: 1073741824\r\n";
  std::string chunked = "Transfer-Encoding: chunked\r\n";
  std::string right = "Authorization: Bearer segredo\r\n";
  std::string wrong = "Authorization: Bearer outro\r\n";
  EXPECT_EQ(answer_to_headers(huge + wrong).rfind("HTTP/1.1 401", 0), 0u);
  EXPECT_EQ(answer_to_headers(chunked + wrong).rfind("HTTP/1.1 401", 0), 0u);
  EXPECT_EQ(answer_to_headers(huge + right).rfind("HTTP/1.1 413", 0), 0u);

  // A chunked body is refused once what arrived passes the limit.
  RawClient client(port_);
  client.Send("POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\nHost: x\r\n" + chunked + right + "\r\n");
  std::string answer;
  int chunks = 0;
  for (; chunks < 100 && answer.empty(); ++chunks) {
    if (!client.Send(fmt::format("400\r\n{}\r\n", std::string(1024, ' '))))
      break;
    answer = client.Read(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer;
  EXPECT_LE(chunks, 8) << "the limit is 4 KiB";
}

TEST_P(HttpServerTest, PipelinedRequestsAreAnsweredInOrder) {
  Serve();
  RawClient client(port_);
  std::string unknown = Request("GetNada", json::array());
  client.Send(RawPost(good_call_) + RawPost(unknown) + RawPost("{") +
              RawPost(good_call_, "Connection: close\r\n"));
  std::string answers = client.Read(std::chrono::milliseconds(3000));
  EXPECT_TRUE(client.closed());
  std::vector<std::size_t> at = {
      answers.find(good_answer_.dump()), answers.find("Método desconhecido: GetNada."),
      answers.find("JSON malformado"), answers.rfind(good_answer_.dump())};
  for (std::size_t i = 0; i < at.size(); ++i) {
    ASSERT_NE(at[i], std::string::npos) << i << ": " << answers;
    if (i > 0) {
      EXPECT_LT(at[i - 1], at[i]) << answers;
    }
  }
}

// Far more connections at once than workers, all opened before any is answered.
TEST_P(HttpServerTest, ABurstOfConnectionsIsAllAnswered) {
  Serve();
  constexpr int kConnections = 300;
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < kConnections; ++i) {
    clients.push_back(std::make_unique<RawClient>(port_));
    clients.back()->Send(RawPost(good_call_, "Connection: close\r\n"));
  }
  int answered = 0;
  for (auto& client : clients)
    answered += client->Read(std::chrono::milliseconds(2000)).find(good_answer_.dump()) !=
                std::string::npos;
  EXPECT_EQ(answered, kConnections);
}

TEST(EmbeddedServerTest, CreatesTheTablesAndServesOnLoopback) {
  TestDatabase database(Backend::kSqlite);
  EmbeddedServer embedded(database.uri());
  httplib::Client client("127.0.0.1", embedded.port());
  auto response = client.Post(kServicePath, R"({"method": "GetPrxMovReal", "params": ["001", 1]})",
                              "application/json");
  ASSERT_TRUE(response);
  EXPECT_EQ(json::parse(response->body), json({{"ok", true}, {"result", "0000000001"}}));
}

}  // namespace
}  // namespace server::testing
