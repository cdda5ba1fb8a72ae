#include "server/http_server.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include "server/embedded_server.h"
#include "server/test_database.h"

namespace server::testing {
namespace {

constexpr std::size_t kSmallBody = 4096;

class HttpServerTest : public ServiceTest {
 protected:
  // Starts a server on a free loopback port and a keep-alive client to it.
  void Serve(HttpServerOptions options = {}) {
    options.port = 0;
    options.max_body = kSmallBody;
    options.threads = 2;
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
