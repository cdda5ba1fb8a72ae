// Which accounts and statements a submission's rows and header changes name.
#ifndef EXTRATO_SERVER_STATEMENT_KEYS_H_
#define EXTRATO_SERVER_STATEMENT_KEYS_H_

#include <map>
#include <set>
#include <string>
#include <utility>

#include "host/packed_row.h"
#include "host/record_set.h"
#include "server/account_version.h"

namespace server {

using StatementKey = std::pair<std::string, std::string>;  // account, statement code

// Each row's fields are read on their own: a submission holds many rows, and these
// need two fields of each.
AccountSet MovementAccounts(const host::PackedPacket& movements);
// How many of the movements each account has.
std::map<std::string, int> MovementsPerAccount(const host::PackedPacket& movements);
std::set<StatementKey> MovementStatements(const host::PackedPacket& movements);

// The headers the changes insert, modify or delete.
std::set<StatementKey> ChangedStatements(const host::ChangeSet& changes);
// Whether the changes insert the header.
bool InsertsStatement(const host::ChangeSet& changes, const StatementKey& key);

// The value at `name` of a row of `fields`; empty when the row has no such text.
std::string TextField(const std::vector<host::FieldDef>& fields, const host::Row& row,
                      std::string_view name);

}  // namespace server

#endif  // EXTRATO_SERVER_STATEMENT_KEYS_H_
