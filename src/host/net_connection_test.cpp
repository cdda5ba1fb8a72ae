#include "host/net_connection.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

namespace host {
namespace {

// A small dispatcher standing in for the application server.
Variant EchoDispatcher(const Variant& request) {
  if (request["method"] == "Echo")
    return {{"ok", true}, {"result", request["params"]}};
  return FailureAnswer("Método desconhecido.");
}

// The same behind an in-process transport, which hands over the request's text.
std::string EchoText(TextPieces pieces) {
  std::string text;
  for (const std::string& piece : pieces)
    text += piece;
  Variant request = Variant::parse(text, nullptr, false);
  if (request.is_discarded())
    return FailureAnswer("JSON malformado.").dump();
  return EchoDispatcher(request).dump();
}

class TransportScope {
 public:
  explicit TransportScope(TransportFactory factory) { SetTransportFactory(std::move(factory)); }
  ~TransportScope() { SetTransportFactory(nullptr); }
};

TEST(NetConnectionTest, ConnectsThroughTheBeforeConnectEventAndCallsByName) {
  std::vector<std::string> log;
  TransportScope scope([&](const std::string& host, int port) {
    log.push_back("transport " + host + ":" + std::to_string(port));
    return std::make_unique<InProcessTransport>(EchoText);
  });
  TNetConnection net("net");
  net.SetServerName("QAR62700.rdmImpExtBanc");
  net.OnBeforeConnect = [&](Object&) {
    net.SetPort(8211);
    log.push_back("port");
    net.SetHost("servidor");
    log.push_back("host");
  };
  EXPECT_EQ("Conexão com o servidor de aplicação não está aberta.",
            net.AppServer().Call("Echo")["error"]);
  net.SetConnected(true);
  EXPECT_TRUE(net.Connected());
  EXPECT_EQ((std::vector<std::string>{"port", "host", "transport servidor:8211"}), log);
  EXPECT_EQ(Variant::array({"341", 1}), net.AppServer().Call("Echo", {"341", 1})["result"]);
  EXPECT_EQ(false, net.AppServer().Call("Outro")["ok"]);
  net.SetConnected(false);
  EXPECT_FALSE(net.Connected());
}

TEST(NetConnectionTest, WrittenRequestIsTheSameCallInProcess) {
  InProcessTransport transport(EchoText);
  RemoteServer remote(transport, "QAR62700.rdmImpExtBanc");
  auto write_params = [](const std::function<void(std::string_view)>& write) {
    write("[\"34");
    write("1\", 1]");
  };
  EXPECT_EQ(Variant::array({"341", 1}), remote.CallWritten("Echo", write_params)["result"]);
  auto broken = [](const std::function<void(std::string_view)>& write) { write("[1,"); };
  EXPECT_EQ("JSON malformado.", remote.CallWritten("Echo", broken)["error"]);
}

// A large written request reaches the server as pieces, never gathered into one text.
TEST(NetConnectionTest, WrittenRequestCrossesInProcessInPieces) {
  std::vector<std::size_t> sizes;
  InProcessTransport transport([&sizes](TextPieces pieces) {
    for (const std::string& piece : pieces)
      sizes.push_back(piece.size());
    return EchoText(std::move(pieces));
  });
  RemoteServer remote(transport, "QAR62700.rdmImpExtBanc");
  std::string value(300'000, 'v');
  auto write_params = [&value](const std::function<void(std::string_view)>& write) {
    write("[");
    for (int i = 0; i < 10; ++i) {
      write(i ? ",\"" : "\"");
      write(value);
      write("\"");
    }
    write("]");
  };
  EXPECT_EQ(10u, remote.CallWritten("Echo", write_params)["result"].size());
  EXPECT_GT(sizes.size(), 1u);
  for (std::size_t size : sizes)
    EXPECT_LE(size, std::size_t{1} << 20);
}

TEST(NetConnectionTest, HttpTransportPostsToTheServerName) {
  httplib::Server server;
  std::string path, transfer_encoding;
  server.Post(R"(/.*)", [&](const httplib::Request& request, httplib::Response& response) {
    path = request.path;
    transfer_encoding = request.get_header_value("Transfer-Encoding");
    response.set_content(EchoDispatcher(Variant::parse(request.body)).dump(), "application/json");
  });
  int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });

  {
    auto transport = HttpTransportFactory()("127.0.0.1", port);
    RemoteServer remote(*transport, "QAR62700.rdmImpExtBanc");
    EXPECT_EQ(Variant::array({"a"}), remote.Call("Echo", {"a"})["result"]);
    EXPECT_EQ(Variant::array({"b"}), remote.Call("Echo", {"b"})["result"]);  // same connection
    EXPECT_EQ("/QAR62700.rdmImpExtBanc", path);

    // A written request goes out in pieces, as it is written, and arrives whole.
    std::string big(200'000, 'x');
    auto write_params = [&](const std::function<void(std::string_view)>& write) {
      write("[");
      for (int i = 0; i < 3; ++i)
        write((i ? "," : "") + Variant(big).dump());
      write("]");
    };
    EXPECT_EQ(Variant::array({big, big, big}), remote.CallWritten("Echo", write_params)["result"]);
    EXPECT_EQ("chunked", transfer_encoding);
    EXPECT_EQ(Variant::array({"c"}), remote.Call("Echo", {"c"})["result"]);
  }
  server.stop();
  thread.join();
}

TEST(NetConnectionTest, UnreachableServerAnswersAFailureNamingHostAndPort) {
  // Serve and stop on a port, so that nothing listens on it any more.
  httplib::Server probe;
  int port = probe.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { probe.listen_after_bind(); });
  while (!probe.is_running())
    std::this_thread::yield();
  probe.stop();
  thread.join();
  auto transport = HttpTransportFactory()("127.0.0.1", port);
  Variant answer = RemoteServer(*transport, "QAR62700.rdmImpExtBanc").Call("GetPrxMovReal");
  EXPECT_EQ(false, answer["ok"]);
  EXPECT_EQ("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:" +
                std::to_string(port) + ".",
            answer["error"]);
}

// A server that takes the request and closes without answering, as one killed or cut
// off from its database mid-call would: the call may have been acted on.
TEST(NetConnectionTest, CallCutOffAfterItWasSentIsToldApartFromAnUnreachableServer) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof(address);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), size));
  ASSERT_EQ(0, listen(listener, 1));
  ASSERT_EQ(0, getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size));
  std::thread server([listener] {
    int connection = accept(listener, nullptr, nullptr);
    char request[4096];
    [[maybe_unused]] ssize_t read_bytes = read(connection, request, sizeof(request));
    close(connection);
  });
  int port = ntohs(address.sin_port);
  auto transport = HttpTransportFactory()("127.0.0.1", port);
  Variant answer = RemoteServer(*transport, "QAR62700.rdmImpExtBanc").Call("Set_Real_Bradesco");
  server.join();
  close(listener);
  EXPECT_EQ(false, answer["ok"]);
  EXPECT_EQ("A conexão com o servidor de aplicação em 127.0.0.1:" + std::to_string(port) +
                " caiu antes da resposta.",
            answer["error"]);
}

}  // namespace
}  // namespace host
