// The HTTP front of the statement service.
#ifndef EXTRATO_SERVER_HTTP_SERVER_H_
#define EXTRATO_SERVER_HTTP_SERVER_H_

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace server {

class Service;

// The path the screen's connection posts to: its server name.
inline constexpr const char* kServicePath = "/QAR62700.rdmImpExtBanc";
// GET: 200 when the database answers, 503 when not; for a load balancer, no token.
inline constexpr const char* kHealthPath = "/saude";
// The name the history gives to callers with the shared token, and to callers of a
// server that asks for none.
inline constexpr const char* kSharedTokenUser = "compartilhado";
inline constexpr const char* kAnonymousUser = "anonimo";

struct HttpServerOptions {
  // Address to listen on. Any but a loopback address needs a token, and TLS here or
  // at a proxy in front (tls_at_proxy).
  std::string host = "127.0.0.1";
  // 0: any free port (Start answers which).
  int port = 8211;
  // When set, a call carrying "Authorization: Bearer <token>" is made by
  // kSharedTokenUser, with every role. The users registered in the database bring
  // their own tokens; with neither, calls need no token.
  std::string token;
  // Waited before a missing or wrong token is refused, the same for every reason.
  std::chrono::milliseconds refusal_delay{1000};
  // Gets one line per call: time, user, method, duration and outcome; never the
  // arguments or a token. Called from many threads at once.
  std::function<void(const std::string& line)> log;
  // PEM files of the certificate (its chain after it) and of its private key; when
  // set, the server speaks HTTPS only, and answers a plain HTTP request with 400.
  std::string tls_cert_file;
  std::string tls_key_file;
  // TLS ends at a reverse proxy on this host: plain HTTP may listen beyond loopback.
  bool tls_at_proxy = false;
  // Larger request bodies are refused with 413.
  std::size_t max_body = std::size_t{256} << 20;
  // Threads that run calls. Connections wait for their requests without one, so
  // slow or idle clients hold no thread.
  int threads = 8;
  // The whole time a request may take to arrive, from its first byte to the end of its
  // body; a slower one is dropped, however steadily its bytes trickle in.
  std::chrono::milliseconds request_timeout{60'000};
  // How long a kept connection may wait for its next request; a client that calls
  // again later opens another.
  std::chrono::milliseconds idle_timeout{60'000};
};

// POST kServicePath with {"method": ..., "params": [...]}: 200 and the service's
// envelope; 400 with a failure envelope for a body that is not such a request; 401
// without a valid token (whatever the path: a stranger learns nothing); 404 for
// another path; 413 for a body over the limit. The token and the declared size are
// checked on the headers, before any of the body is read, and a chunked body is
// counted as it arrives. Requests pipelined on one connection are answered in order.
class HttpServer {
 public:
  HttpServer(Service& service, HttpServerOptions options);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds, serves on a background thread and answers the bound port. Throws
  // std::runtime_error when the address is refused or cannot be bound, or the
  // certificate or its key cannot be read.
  int Start();
  // Stops taking calls, lets the running ones finish and waits for the workers.
  void Stop();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// True for 127.x.x.x, ::1 and "localhost".
bool IsLoopback(const std::string& host);

}  // namespace server

#endif  // EXTRATO_SERVER_HTTP_SERVER_H_
