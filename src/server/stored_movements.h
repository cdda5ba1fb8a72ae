// What a submission must know about the movements stored before it.
#ifndef EXTRATO_SERVER_STORED_MOVEMENTS_H_
#define EXTRATO_SERVER_STORED_MOVEMENTS_H_

#include "host/packed_row.h"
#include "server/database.h"
#include "server/field_mapping.h"

namespace server {

// True when a movement of the packet matches a stored one the way the duplicate
// lookup finds it: same account, document, date and amount to the cent. A packet
// without one of those fields matches nothing, as the lookup would not.
bool AnyStored(soci::session& session, const host::PackedPacket& movements);

}  // namespace server

#endif  // EXTRATO_SERVER_STORED_MOVEMENTS_H_
