// Stores the movements of a submission.
#ifndef EXTRATO_SERVER_MOVEMENT_WRITER_H_
#define EXTRATO_SERVER_MOVEMENT_WRITER_H_

#include "host/packed_row.h"
#include "host/soci.h"
#include "server/expected.h"

namespace server {

// Inserts every row of the packet into MOVREAL inside the caller's transaction.
// Answers true when all were stored; false, with the caller to roll back, when a
// movement's key repeats within the packet or is stored already, or, with
// `refuse_stored`, when a movement matches a stored one (see AnyStored); a failure
// when a row does not fit the table.
Expected<bool> InsertMovements(soci::session& session, const host::PackedPacket& movements,
                               bool refuse_stored = false);

}  // namespace server

#endif  // EXTRATO_SERVER_MOVEMENT_WRITER_H_
