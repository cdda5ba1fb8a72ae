#ifndef EXTRATO_APPS_COMMON_DRY_RUN_H_
#define EXTRATO_APPS_COMMON_DRY_RUN_H_

// A preview of an import: the same run, with every write answered as done and
// never sent, so that the database stays exactly as it was.

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "host/net_connection.h"

namespace apps {

// Whether the remote method writes (its name begins with "Set").
bool IsWrite(const std::string& method);

// The credits and debits of the movements that held-back submissions carried,
// by account and statement code.
class HeldBack {
 public:
  struct Sums {
    double credits = 0;
    double debits = 0;
  };
  void Add(const host::Variant& movements);
  Sums Of(const std::string& account, const std::string& code) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, Sums> sums_;
};

// The same transports, with the writes held back: a submission answers true (the
// movements would be stored) and its movements are added to `held`; any other
// write answers an empty success. `held` must outlive the transports.
host::TransportFactory WithoutWrites(host::TransportFactory inner, HeldBack& held);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_DRY_RUN_H_
