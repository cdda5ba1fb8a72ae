#include "services/remote.h"

#include "host/application.h"
#include "host/routines.h"

namespace services {

host::Variant CallServer(const host::TNetConnection& connection, const std::string& method,
                         host::Variant params) {
  return host::CheckResultServ(connection.AppServer().Call(method, params), true, 0);
}

host::Variant CallServerWritten(const host::TNetConnection& connection, const std::string& method,
                                const host::RequestWriter& params) {
  return host::CheckResultServ(connection.AppServer().CallWritten(method, params), true, 0);
}

host::Variant CallServerWithRows(const host::TNetConnection& connection, const std::string& method,
                                 const host::Variant& params, std::size_t rows_at,
                                 const host::RecordSet& rows) {
  auto write_params = [&](const std::function<void(std::string_view)>& write) {
    write("[");
    for (std::size_t i = 0; i < params.size(); ++i) {
      write(i ? "," : "");
      if (i == rows_at) {
        host::WritePacket(rows, write);
      } else {
        write(params[i].dump());
      }
    }
    write("]");
  };
  return CallServerWritten(connection, method, write_params);
}

void LoadFromServer(host::RecordSet& record_set, const host::TNetConnection& connection,
                    const std::string& method, host::Variant params) {
  host::Variant payload = CallServer(connection, method, std::move(params));
  record_set.LoadPacket(host::PacketFromJson(payload));
}

void ApplyUpdates(host::RecordSet& record_set, const host::TNetConnection& connection,
                  const std::string& method) {
  if (record_set.ChangeCount() <= 0)
    return;
  host::ActiveShowAvi(host::GetApplication().MainFormName(), 1);
  try {
    CallServer(connection, method, host::Variant::array({host::ToJson(record_set.Delta())}));
  } catch (...) {
    host::DeactiveShowAvi();
    throw;
  }
  host::DeactiveShowAvi();
  record_set.MergeChangeLog();
}

}  // namespace services
