#ifndef EXTRATO_APPS_GUI_SERVICE_CLIENT_H_
#define EXTRATO_APPS_GUI_SERVICE_CLIENT_H_

#include <string>

#include "host/net_connection.h"

namespace gui {

// The host's own calls of the application server (registration, history), over a
// connection like the screen's, to the server the configuration names.
class ServiceClient {
 public:
  ServiceClient();
  ~ServiceClient();
  ServiceClient(const ServiceClient&) = delete;
  ServiceClient& operator=(const ServiceClient&) = delete;

  // The method's payload; throws host::Exception with the server's text.
  host::Variant Call(const std::string& method, const host::Variant& params);

 private:
  host::TNetConnection connection_{"netCadastros"};
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SERVICE_CLIENT_H_
