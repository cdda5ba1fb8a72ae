// Stores a change set in its table.
#ifndef EXTRATO_SERVER_CHANGE_WRITER_H_
#define EXTRATO_SERVER_CHANGE_WRITER_H_

#include "host/record_set.h"
#include "host/soci.h"
#include "server/expected.h"
#include "server/tables.h"

namespace server {

// What an insert of a key that is stored already does.
enum class StoredKey {
  kRefuse,  // fails the change set
  kUpdate,  // updates the stored row: for rows that any client may write first
};

// Applies every change, in order, inside the caller's transaction, and stops at the
// first that fails: a row that breaks its columns' limits, an insert of a key that is
// stored already (unless told to update it), a modify or delete of a row that is not
// stored. The caller rolls back on failure.
Status ApplyChangeSet(soci::session& session, const Table& table, const host::ChangeSet& change_set,
                      StoredKey stored_key = StoredKey::kRefuse);

}  // namespace server

#endif  // EXTRATO_SERVER_CHANGE_WRITER_H_
