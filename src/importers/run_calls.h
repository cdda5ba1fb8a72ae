#ifndef EXTRATO_IMPORTERS_RUN_CALLS_H_
#define EXTRATO_IMPORTERS_RUN_CALLS_H_

// The remote calls of an import run through the screen's connection, answers passed
// through CheckResultServ. The statement headers save themselves through the
// screen's record set (its AfterPost), the lookups read ahead and the submission is
// streamed: those do not come through here.

#include <string>

#include "host/net_connection.h"
#include "host/record_set.h"

namespace importers {

class RunCalls {
 public:
  explicit RunCalls(const host::TNetConnection& connection) : connection_(connection) {}
  // The method's payload, loaded into the record set.
  void Load(host::RecordSet& record_set, const std::string& method, host::Variant params) const;
  // The method's payload.
  host::Variant Call(const std::string& method, host::Variant params) const;

 private:
  const host::TNetConnection& connection_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_CALLS_H_
