#include "importers/run_calls.h"

#include "services/remote.h"

namespace importers {

void RunCalls::Load(host::RecordSet& record_set, const std::string& method,
                    host::Variant params) const {
  services::LoadFromServer(record_set, connection_, method, std::move(params));
}

host::Variant RunCalls::Call(const std::string& method, host::Variant params) const {
  return services::CallServer(connection_, method, std::move(params));
}

}  // namespace importers
