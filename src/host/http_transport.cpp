// The HTTP transport: JSON over HTTP/1.1 with keep-alive.
#include <httplib.h>

#include <fmt/format.h>

#include "host/config.h"
#include "host/net_connection.h"

namespace host {

namespace {

// How a server is reached: over HTTPS, the certificate must verify against these
// authorities, and the name or address must be the certificate's.
struct Endpoint {
  std::string host;
  int port = 0;
  bool tls = false;
  std::string ca_file;  // empty: the system's authorities
};

class HttpTransport : public Transport {
 public:
  HttpTransport(Endpoint endpoint, std::string token)
      : endpoint_(std::move(endpoint)),
        token_(std::move(token)),
        client_(fmt::format("{}://{}:{}", endpoint_.tls ? "https" : "http", endpoint_.host,
                            endpoint_.port)) {
    if (endpoint_.tls) {
      client_.enable_server_certificate_verification(true);
      if (!endpoint_.ca_file.empty())
        client_.set_ca_cert_path(endpoint_.ca_file.c_str());
    }
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
    if (!response)
      return FailureAnswer(Unreached(response.error()));
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

  // Never a fallback to plain HTTP: a certificate that does not verify ends the call.
  std::string Unreached(httplib::Error error) const {
    const std::string& host = endpoint_.host;
    int port = endpoint_.port;
    if (error == httplib::Error::SSLServerVerification) {
      return fmt::format(
          "Conexão recusada: o certificado do servidor de aplicação em {}:{} não é confiável "
          "(não foi assinado por {}, ou não foi emitido para {}).",
          host, port,
          endpoint_.ca_file.empty() ? "uma autoridade do sistema; indique a sua com --ca ARQUIVO"
                                    : fmt::format("uma autoridade de {}", endpoint_.ca_file),
          host);
    }
    if (error == httplib::Error::SSLConnection || error == httplib::Error::SSLLoadingCerts) {
      return fmt::format(
          "Não foi possível abrir uma conexão TLS com o servidor de aplicação em {}:{} (ele "
          "atende HTTPS nessa porta?{}).",
          host, port,
          endpoint_.ca_file.empty() ? "" : fmt::format(" {} é um arquivo PEM?", endpoint_.ca_file));
    }
    // Once the request was on its way, the server may have acted on it.
    if (error == httplib::Error::Read || error == httplib::Error::Write) {
      return fmt::format("A conexão com o servidor de aplicação em {}:{} caiu antes da resposta.",
                         host, port);
    }
    return fmt::format("Não foi possível conectar ao servidor de aplicação em {}:{}.", host, port);
  }

  Endpoint endpoint_;
  std::string token_;
  httplib::Client client_;
};

}  // namespace

TransportFactory HttpTransportFactory() {
  return [](const std::string& host, int port) -> std::unique_ptr<Transport> {
    const HostConfig& config = Config();
    return std::make_unique<HttpTransport>(Endpoint{host, port, config.web_tls, config.ca_file},
                                           config.token);
  };
}

}  // namespace host
