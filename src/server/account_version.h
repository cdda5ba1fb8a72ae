// The version of an account's statements and movements: raised by every write into
// them, so that an import can tell at its commit whether what it read still holds.
#ifndef EXTRATO_SERVER_ACCOUNT_VERSION_H_
#define EXTRATO_SERVER_ACCOUNT_VERSION_H_

#include <set>
#include <string>

#include "server/database.h"

namespace server {

using AccountSet = std::set<std::string>;

// 0 for an account nothing was ever written into.
long long AccountVersion(soci::session& session, const std::string& account);

// Inside the caller's write transaction.
void RaiseAccountVersions(soci::session& session, const AccountSet& accounts);

// Makes the other writers into these accounts wait until the caller's transaction
// ends. SQLite needs nothing more than its write transaction; PostgreSQL takes an
// advisory lock per account, in one order for every caller, so that several servers
// over one database wait for each other too.
void LockAccounts(soci::session& session, Dialect dialect, const AccountSet& accounts);

}  // namespace server

#endif  // EXTRATO_SERVER_ACCOUNT_VERSION_H_
