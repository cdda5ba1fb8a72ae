// The HTTP transport: JSON over HTTP/1.1 with keep-alive.
#include <httplib.h>

#include <fmt/format.h>

#include "host/config.h"
#include "host/net_connection.h"

namespace host {

namespace {

class HttpTransport : public Transport {
 public:
  HttpTransport(std::string host, int port, std::string token)
      : host_(std::move(host)), port_(port), token_(std::move(token)), client_(host_, port_) {
    client_.set_keep_alive(true);
    client_.set_tcp_nodelay(true);
    client_.set_connection_timeout(5, 0);
    client_.set_read_timeout(600, 0);
    client_.set_write_timeout(600, 0);
    if (!token_.empty())
      client_.set_bearer_token_auth(token_.c_str());
  }

  Variant Send(const std::string& server_name, const Variant& request) override {
    return Answer(client_.Post("/" + server_name, request.dump(), kJson));
  }

  // Sent in chunks as it is written.
  Variant SendWritten(const std::string& server_name, const RequestWriter& writer) override {
    auto provider = [&writer](std::size_t, httplib::DataSink& sink) {
      std::string piece;
      bool open = true;
      auto flush = [&] {
        open = open && sink.write(piece.data(), piece.size());
        piece.clear();
      };
      writer([&](std::string_view text) {
        piece += text;
        if (piece.size() >= kPiece)
          flush();
      });
      if (!piece.empty())
        flush();
      sink.done();
      return open;
    };
    return Answer(client_.Post("/" + server_name, provider, kJson));
  }

 private:
  static constexpr const char* kJson = "application/json";
  static constexpr std::size_t kPiece = 64 * 1024;

  Variant Answer(const httplib::Result& response) {
    if (!response) {
      // Once the request was on its way, the server may have acted on it.
      if (response.error() == httplib::Error::Connection) {
        return FailureAnswer(fmt::format(
            "Não foi possível conectar ao servidor de aplicação em {}:{}.", host_, port_));
      }
      return FailureAnswer(fmt::format(
          "A conexão com o servidor de aplicação em {}:{} caiu antes da resposta.", host_, port_));
    }
    Variant answer = Variant::parse(response->body, nullptr, false);
    if (response->status != 200) {
      std::string detail =
          answer.is_object() && answer.contains("error") && answer["error"].is_string()
              ? answer["error"].get<std::string>()
              : response->body;
      return FailureAnswer(fmt::format("O servidor de aplicação recusou a chamada (HTTP {}): {}",
                                       response->status, detail));
    }
    if (answer.is_discarded()) {
      return FailureAnswer("Resposta inválida do servidor de aplicação.");
    }
    return answer;
  }

  std::string host_;
  int port_;
  std::string token_;
  httplib::Client client_;
};

}  // namespace

TransportFactory HttpTransportFactory() {
  return [](const std::string& host, int port) -> std::unique_ptr<Transport> {
    return std::make_unique<HttpTransport>(host, port, Config().token);
  };
}

}  // namespace host
