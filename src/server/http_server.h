// The HTTP front of the statement service.
#ifndef EXTRATO_SERVER_HTTP_SERVER_H_
#define EXTRATO_SERVER_HTTP_SERVER_H_

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace server {

class Service;

// The path the screen's connection posts to: its server name.
inline constexpr const char* kServicePath = "/QAR62700.rdmImpExtBanc";

struct HttpServerOptions {
  // Address to listen on. Any but a loopback address needs a token.
  std::string host = "127.0.0.1";
  // 0: any free port (Start answers which).
  int port = 8211;
  // When set, every call must carry "Authorization: Bearer <token>".
  std::string token;
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
// without the token; 413 for a body over the limit. The token and the declared size
// are checked on the headers, before any of the body is read, and a chunked body is
// counted as it arrives. Requests pipelined on one connection are answered in order.
class HttpServer {
 public:
  HttpServer(Service& service, HttpServerOptions options);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds, serves on a background thread and answers the bound port. Throws
  // std::runtime_error when the address is refused or cannot be bound.
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
