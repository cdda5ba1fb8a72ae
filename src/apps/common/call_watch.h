#ifndef EXTRATO_APPS_COMMON_CALL_WATCH_H_
#define EXTRATO_APPS_COMMON_CALL_WATCH_H_

// What the screen last asked the application server, so that a front end can
// say more than the screen's message when a lookup finds nothing.

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "host/net_connection.h"

namespace apps {

struct WatchedCall {
  host::Variant params;
  host::Variant answer;  // the envelope
  long long order = 0;   // later calls have higher numbers
};

class CallWatch {
 public:
  // The same transports, each reporting its calls here. The watch must outlive them.
  host::TransportFactory Watching(host::TransportFactory inner);

  // The last call of the method; nothing when it was never called.
  std::optional<WatchedCall> Last(const std::string& method) const;

  void Record(const host::Variant& request, const host::Variant& answer);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, WatchedCall> last_;
  long long calls_ = 0;
};

// The account lookup that ran last: the exact one or the one by beginnings.
std::optional<WatchedCall> LastAccountLookup(const CallWatch& calls);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_CALL_WATCH_H_
