#include "host/net_connection.h"

#include <mutex>

#include "host/exceptions.h"

namespace host {

namespace {

class ClosedTransport : public Transport {
 public:
  Variant Send(const std::string&, const Variant&) override {
    return FailureAnswer("Conexão com o servidor de aplicação não está aberta.");
  }
};

std::mutex factory_mutex;
TransportFactory& CurrentFactory() {
  static TransportFactory factory = HttpTransportFactory();
  return factory;
}

}  // namespace

void SetTransportFactory(TransportFactory factory) {
  std::lock_guard lock(factory_mutex);
  CurrentFactory() = factory ? std::move(factory) : HttpTransportFactory();
}

Variant FailureAnswer(const std::string& text) {
  return {{"ok", false}, {"error", text}};
}

Variant InProcessTransport::Send(const std::string&, const Variant& request) {
  return Answer({request.dump()});
}

Variant InProcessTransport::SendWritten(const std::string&, const RequestWriter& writer) {
  TextPieces pieces;
  writer([&pieces](std::string_view text) { AppendToPieces(pieces, text); });
  return Answer(std::move(pieces));
}

// As text, as on the wire, so that nothing is shared with the server.
Variant InProcessTransport::Answer(TextPieces request) {
  try {
    return Variant::parse(dispatcher_(std::move(request)));
  } catch (const std::exception& e) {
    return FailureAnswer(e.what());
  }
}

Variant Transport::SendWritten(const std::string& server_name, const RequestWriter& writer) {
  std::string text;
  writer([&text](std::string_view piece) { text += piece; });
  Variant request = Variant::parse(text, nullptr, false);
  if (request.is_discarded())
    return FailureAnswer("Requisição mal formada pelo cliente.");
  text = std::string();
  return Send(server_name, request);
}

Variant RemoteServer::CallWritten(const std::string& method, const RequestWriter& params) const {
  return transport_->SendWritten(server_name_,
                                 [&](const std::function<void(std::string_view)>& write) {
                                   write(R"({"method":)");
                                   write(Variant(method).dump());
                                   write(R"(,"params":)");
                                   params(write);
                                   write("}");
                                 });
}

Variant RemoteServer::Call(const std::string& method, const Variant& params) const {
  Variant request = {{"method", method}, {"params", params.is_array() ? params : Variant::array()}};
  return transport_->Send(server_name_, request);
}

TNetConnection::~TNetConnection() = default;

void TNetConnection::SetConnected(bool connected) {
  if (connected == Connected())
    return;
  if (!connected) {
    transport_.reset();
    return;
  }
  if (OnBeforeConnect)
    OnBeforeConnect(*this);
  TransportFactory factory;
  {
    std::lock_guard lock(factory_mutex);
    factory = CurrentFactory();
  }
  try {
    transport_ = factory(host_, port_);
  } catch (const std::exception&) {
    transport_.reset();
    if (throw_exception_)
      throw;
  }
}

RemoteServer TNetConnection::AppServer() const {
  static ClosedTransport closed;
  return RemoteServer(transport_ ? *transport_ : closed, server_name_);
}

}  // namespace host
