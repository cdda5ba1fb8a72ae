#include "importers/run_calls.h"

#include "services/remote.h"

namespace importers {

void ConnectionCalls::Load(host::RecordSet& record_set, const std::string& method,
                           host::Variant params) {
  services::LoadFromServer(record_set, connection_, method, std::move(params));
}

host::Variant ConnectionCalls::Call(const std::string& method, host::Variant params) {
  return services::CallServer(connection_, method, std::move(params));
}

}  // namespace importers
