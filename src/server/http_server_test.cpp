#include "server/http_server.h"

#include <atomic>
#include <thread>

#include <httplib.h>

#include <gtest/gtest.h>

#include "server/embedded_server.h"
#include "server/soak/raw_client.h"
#include "server/test_database.h"

namespace server::testing {
namespace {

constexpr std::size_t kSmallBody = 4096;

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

TEST_P(HttpServerTest, AnotherAddressNeedsAToken) {
  HttpServerOptions options;
  options.host = "0.0.0.0";
  options.port = 0;
  HttpServer open_to_all(service(), options);
  try {
    open_to_all.Start();
    FAIL() << "listened on every address without a token";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "Recusado: sem --token o servidor só escuta em 127.0.0.1, não em 0.0.0.0.");
  }
  options.token = "segredo";
  HttpServer with_token(service(), options);
  EXPECT_GT(with_token.Start(), 0);
  with_token.Stop();
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
