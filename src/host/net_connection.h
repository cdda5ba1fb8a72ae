#ifndef EXTRATO_HOST_NET_CONNECTION_H_
#define EXTRATO_HOST_NET_CONNECTION_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/controls.h"
#include "host/text_pieces.h"

namespace host {

// The one variant a remote method answers: the envelope
// {"ok": true, "result": ...} or {"ok": false, "error": "..."}.
using Variant = nlohmann::json;

// Writes the JSON text of a request piece by piece to `write`, so that a request
// with a large argument is sent as it is written, never held whole.
using RequestWriter = std::function<void(const std::function<void(std::string_view)>& write)>;

// Carries one request {"method": ..., "params": [...]} to the server object
// named `server_name` and brings back its envelope. A transport never throws
// for a failure of the server or the network: it answers a failure envelope.
class Transport {
 public:
  virtual ~Transport() = default;
  virtual Variant Send(const std::string& server_name, const Variant& request) = 0;
  // The same for a request given as its writer. By default the text is gathered,
  // read and sent by Send; a transport that can stream it does.
  virtual Variant SendWritten(const std::string& server_name, const RequestWriter& writer);
};

// Where a connection's transport comes from. The default builds an HTTP transport
// to host:port; tests and the embedded server may install another.
using TransportFactory =
    std::function<std::unique_ptr<Transport>(const std::string& host, int port)>;
void SetTransportFactory(TransportFactory factory);
TransportFactory HttpTransportFactory();

// A transport that hands each request's text to a function in this process (the
// server's reader), with no socket in between. The text crosses in pieces, as a
// body would arrive, so that a large request is never one string or one document.
class InProcessTransport : public Transport {
 public:
  using Dispatcher = std::function<std::string(TextPieces request)>;
  explicit InProcessTransport(Dispatcher dispatcher) : dispatcher_(std::move(dispatcher)) {}
  Variant Send(const std::string& server_name, const Variant& request) override;
  Variant SendWritten(const std::string& server_name, const RequestWriter& writer) override;

 private:
  Variant Answer(TextPieces request);

  Dispatcher dispatcher_;
};

// A failure envelope with this text.
Variant FailureAnswer(const std::string& text);

// The server object of a connection: methods are called late, by name.
class RemoteServer {
 public:
  RemoteServer(Transport& transport, std::string server_name)
      : transport_(&transport), server_name_(std::move(server_name)) {}
  // Answers the method's envelope; a call on a closed connection answers a failure.
  Variant Call(const std::string& method, const Variant& params = Variant::array()) const;
  // The same, with the argument list written by `params` ("[...]").
  Variant CallWritten(const std::string& method, const RequestWriter& params) const;

 private:
  Transport* transport_;
  std::string server_name_;
};

// The host's connection component to an application server.
class TNetConnection : public Object {
 public:
  using Object::Object;
  ~TNetConnection() override;

  const std::string& Host() const { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  int Port() const { return port_; }
  void SetPort(int port) { port_ = port; }
  const std::string& ServerName() const { return server_name_; }
  void SetServerName(std::string name) { server_name_ = std::move(name); }
  // When false, a failure to connect is not raised; calls then answer failures.
  bool ThrowException() const { return throw_exception_; }
  void SetThrowException(bool value) { throw_exception_ = value; }

  bool Connected() const { return transport_ != nullptr; }
  // Connecting runs the before-connect event first.
  void SetConnected(bool connected);

  // The server object; on a connection that is not open, every call answers a failure.
  RemoteServer AppServer() const;

  NotifyEvent OnBeforeConnect;

 private:
  std::string host_;
  int port_ = 0;
  std::string server_name_;
  bool throw_exception_ = true;
  std::unique_ptr<Transport> transport_;
};

}  // namespace host

#endif  // EXTRATO_HOST_NET_CONNECTION_H_
