#include "apps/gui/service_client.h"

#include "host/config.h"
#include "host/exceptions.h"

namespace gui {

ServiceClient::ServiceClient() {
  connection_.SetHost(host::Config().web_url);
  connection_.SetPort(host::Config().web_port);
  connection_.SetServerName("QAR62700.rdmImpExtBanc");
  connection_.SetConnected(true);
}

ServiceClient::~ServiceClient() {
  connection_.SetConnected(false);
}

host::Variant ServiceClient::Call(const std::string& method, const host::Variant& params) {
  host::Variant answer = connection_.AppServer().Call(method, params);
  if (!answer.value("ok", false))
    throw host::Exception(answer.value("error", "Resposta inválida do servidor de aplicação."));
  return answer["result"];
}

}  // namespace gui
