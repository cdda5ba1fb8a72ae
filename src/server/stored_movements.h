// What a submission must know about the movements stored before it.
#ifndef EXTRATO_SERVER_STORED_MOVEMENTS_H_
#define EXTRATO_SERVER_STORED_MOVEMENTS_H_

#include "host/packed_row.h"
#include "server/database.h"
#include "server/field_mapping.h"

namespace server {

// Makes the other submissions for the packet's accounts wait until the caller's
// transaction ends, so that what it finds stored stays true until it commits. SQLite
// needs nothing more than its write transaction; PostgreSQL takes an advisory lock
// per account, in one order for every caller.
void LockAccounts(soci::session& session, Dialect dialect, const host::PackedPacket& movements);

// True when a movement of the packet matches a stored one the way the duplicate
// lookup finds it: same account, document, date and amount to the cent. A packet
// without one of those fields matches nothing, as the lookup would not.
bool AnyStored(soci::session& session, const host::PackedPacket& movements);

}  // namespace server

#endif  // EXTRATO_SERVER_STORED_MOVEMENTS_H_
