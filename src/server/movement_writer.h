// Stores the movements of a submission.
#ifndef EXTRATO_SERVER_MOVEMENT_WRITER_H_
#define EXTRATO_SERVER_MOVEMENT_WRITER_H_

#include <map>
#include <string>

#include "host/packed_row.h"
#include "host/soci.h"
#include "server/expected.h"

namespace server {

// Each account's import number (NRLOGIMP), which its movements are stored with.
using ImportNumbers = std::map<std::string, std::string>;

// Whether the packet's movements may be stored: false when a movement's key repeats
// within the packet, or, with `refuse_stored`, when a movement matches a stored one
// (see AnyStored); a failure when a row does not fit the table.
Expected<bool> MovementsFit(soci::session& session, const host::PackedPacket& movements,
                            bool refuse_stored = false);

// Inserts every row of a packet that fits (see MovementsFit) into MOVREAL inside the
// caller's transaction, each with its account's number. False, with the caller to
// roll back, when a movement's key is stored already.
bool InsertMovements(soci::session& session, const host::PackedPacket& movements,
                     const ImportNumbers& numbers);

}  // namespace server

#endif  // EXTRATO_SERVER_MOVEMENT_WRITER_H_
