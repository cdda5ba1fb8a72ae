// The HTTP front of the statement service.
#ifndef EXTRATO_SERVER_HTTP_SERVER_H_
#define EXTRATO_SERVER_HTTP_SERVER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}  // namespace httplib

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
  // Worker threads; each keeps one client connection while it is open.
  int threads = 8;
};

// POST kServicePath with {"method": ..., "params": [...]}: 200 and the service's
// envelope; 400 with a failure envelope for a body that is not such a request; 401
// without the token; 413 for a body over the limit.
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

 private:
  void Route();

  Service& service_;
  HttpServerOptions options_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
};

// True for 127.x.x.x, ::1 and "localhost".
bool IsLoopback(const std::string& host);

}  // namespace server

#endif  // EXTRATO_SERVER_HTTP_SERVER_H_
