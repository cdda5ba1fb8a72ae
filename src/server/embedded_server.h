// The application server run inside another program, on a loopback port.
#ifndef EXTRATO_SERVER_EMBEDDED_SERVER_H_
#define EXTRATO_SERVER_EMBEDDED_SERVER_H_

#include <memory>
#include <string>

namespace server {

class HttpServer;
class Service;

// Opens the database (creating its tables when missing) and serves it on
// 127.0.0.1, on a free port, until destroyed. Throws DatabaseError or
// std::runtime_error when it cannot.
class EmbeddedServer {
 public:
  explicit EmbeddedServer(const std::string& database_uri);
  ~EmbeddedServer();
  EmbeddedServer(const EmbeddedServer&) = delete;
  EmbeddedServer& operator=(const EmbeddedServer&) = delete;

  int port() const { return port_; }

 private:
  std::unique_ptr<Service> service_;
  std::unique_ptr<HttpServer> http_;
  int port_ = 0;
};

}  // namespace server

#endif  // EXTRATO_SERVER_EMBEDDED_SERVER_H_
