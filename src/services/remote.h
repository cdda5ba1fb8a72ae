#ifndef EXTRATO_SERVICES_REMOTE_H_
#define EXTRATO_SERVICES_REMOTE_H_

// The one pattern of every remote call: the server object of the connection,
// the method by name, the answer through CheckResultServ, then the payload.

#include <string>

#include "host/net_connection.h"
#include "host/record_set.h"

namespace services {

host::Variant CallServer(const host::TNetConnection& connection, const std::string& method,
                         host::Variant params = host::Variant::array());

// The same, with the argument list ("[...]") written into the request as it is sent.
host::Variant CallServerWritten(const host::TNetConnection& connection, const std::string& method,
                                const host::RequestWriter& params);

// The same, with the rows of `rows` as the argument at `rows_at` (whatever `params`
// holds there), written into the request as it is sent instead of copied first.
host::Variant CallServerWithRows(const host::TNetConnection& connection, const std::string& method,
                                 const host::Variant& params, std::size_t rows_at,
                                 const host::RecordSet& rows);

// Replaces the contents of the record set with the packet the method answers.
void LoadFromServer(host::RecordSet& record_set, const host::TNetConnection& connection,
                    const std::string& method, host::Variant params);

// Sends the record set's pending changes to the method under the wait animation;
// the change log is merged only after the server accepted them. Nothing is sent
// when there is no pending change.
void ApplyUpdates(host::RecordSet& record_set, const host::TNetConnection& connection,
                  const std::string& method);

}  // namespace services

#endif  // EXTRATO_SERVICES_REMOTE_H_
