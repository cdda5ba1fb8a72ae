#ifndef EXTRATO_IMPORTERS_RUN_CALLS_H_
#define EXTRATO_IMPORTERS_RUN_CALLS_H_

// The remote calls of an import run, in one place: a caller may watch them or
// answer some itself (a run that stores nothing, a read-ahead of lookups). The
// statement headers save themselves through the screen's record set (its AfterPost),
// not through here.

#include <string>

#include "host/net_connection.h"
#include "host/record_set.h"

namespace importers {

class RunCalls {
 public:
  virtual ~RunCalls() = default;
  // The method's payload, loaded into the record set.
  virtual void Load(host::RecordSet& record_set, const std::string& method,
                    host::Variant params) = 0;
  // The method's payload.
  virtual host::Variant Call(const std::string& method, host::Variant params) = 0;
};

// Every call through the screen's connection, answers through CheckResultServ.
class ConnectionCalls : public RunCalls {
 public:
  explicit ConnectionCalls(const host::TNetConnection& connection) : connection_(connection) {}
  void Load(host::RecordSet& record_set, const std::string& method, host::Variant params) override;
  host::Variant Call(const std::string& method, host::Variant params) override;

 private:
  const host::TNetConnection& connection_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_CALLS_H_
