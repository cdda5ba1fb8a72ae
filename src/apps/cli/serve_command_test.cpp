#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "apps/cli/commands.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "server/schema.h"

namespace cli {
namespace {

int FreePort() {
  int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof(address);
  bind(sock, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size);
  close(sock);
  return ntohs(address.sin_port);
}

class ServeCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    server::InitSchema(uri_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  int Serve(const std::string& options) {
    CLI::App app;
    RunContext context;
    context.status = -1;
    AddServeCommand(app, context);
    ::testing::internal::CaptureStderr();
    app.parse("serve --db " + uri_ + " " + options, false);
    err_ = ::testing::internal::GetCapturedStderr();
    return context.status;
  }

  // Of this process alone: tests run in parallel.
  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("extrato_serve_" + std::to_string(getpid()));
  const std::string uri_ = "sqlite:" + (folder_ / "extrato.db").string();
  std::string err_;
};

TEST_F(ServeCommandTest, ServesUntilSigtermThenEndsWithStatus0) {
  int port = FreePort();
  pthread_t serving_thread = pthread_self();
  host::Variant answer;
  auto answered = [&answer] { return answer.is_object() && answer.value("ok", false); };
  // A client that calls once the server answers, then stops it the way a service
  // manager would. The signal goes to the serving thread, which waits for it.
  std::thread client([&] {
    auto transport = host::HttpTransportFactory()("127.0.0.1", port);
    for (int attempt = 0; attempt < 500 && !answered(); ++attempt) {
      answer = transport->Send("QAR62700.rdmImpExtBanc",
                               {{"method", "GetPrxMovReal"}, {"params", {"001", 1}}});
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (answer.value("ok", false))
      pthread_kill(serving_thread, SIGTERM);
  });
  int status = Serve("--port " + std::to_string(port));
  client.join();
  EXPECT_EQ(status, kExitSuccess) << err_;
  EXPECT_EQ(answer, host::Variant({{"ok", true}, {"result", "0000000001"}}));
  std::string started = "extrato serve: " + uri_ + " em http://127.0.0.1:" + std::to_string(port) +
                        "/QAR62700.rdmImpExtBanc\n";
  EXPECT_EQ(err_.substr(0, started.size()), started);
  EXPECT_TRUE(err_.ends_with("\nextrato serve: encerrado (SIGTERM).\n")) << err_;
  // One line per call, without its arguments.
  EXPECT_NE(err_.find("usuario=anonimo metodo=GetPrxMovReal duracao="), std::string::npos) << err_;
  EXPECT_NE(err_.find("resultado=ok\n"), std::string::npos) << err_;
  EXPECT_EQ(err_.find("\"001\""), std::string::npos) << err_;
}

// The token comes from a file, so that it never shows in the process list.
TEST_F(ServeCommandTest, TokenFromAFileIsRequiredOfEveryCall) {
  std::filesystem::path token_file = folder_ / "token";
  std::ofstream(token_file) << "segredo-do-arquivo\n";
  int port = FreePort();
  pthread_t serving_thread = pthread_self();
  host::Variant without;
  host::Variant with;
  std::thread client([&] {
    auto anonymous = host::HttpTransportFactory()("127.0.0.1", port);
    host::Variant call = {{"method", "GetPrxMovReal"}, {"params", {"001", 1}}};
    for (int attempt = 0; attempt < 500; ++attempt) {
      without = anonymous->Send("QAR62700.rdmImpExtBanc", call);
      if (without.value("error", "").find("onectar") == std::string::npos)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    host::Config().token = "segredo-do-arquivo";
    with = host::HttpTransportFactory()("127.0.0.1", port)->Send("QAR62700.rdmImpExtBanc", call);
    host::Config().token.clear();
    pthread_kill(serving_thread, SIGTERM);
  });
  int status = Serve("--port " + std::to_string(port) + " --token-file " + token_file.string());
  client.join();
  EXPECT_EQ(status, kExitSuccess) << err_;
  EXPECT_NE(without.value("error", "").find("HTTP 401"), std::string::npos) << without.dump();
  EXPECT_EQ(with, host::Variant({{"ok", true}, {"result", "0000000001"}}));
}

TEST_F(ServeCommandTest, AnotherAddressWithoutATokenEndsWithStatus1) {
  EXPECT_EQ(Serve("--host 0.0.0.0 --port 0"), kExitError);
  EXPECT_EQ(err_,
            "extrato serve: Recusado: sem --token nem usuários cadastrados (extrato usuarios "
            "incluir) o servidor só escuta em 127.0.0.1, não em 0.0.0.0.\n");
}

}  // namespace
}  // namespace cli
