// A workstation that names an application server reads nothing from a database
// itself: the server holds the database's address and credentials, the workstation
// only the server's.
#ifndef EXTRATO_APPS_COMMON_REMOTE_READS_H_
#define EXTRATO_APPS_COMMON_REMOTE_READS_H_

#include <optional>
#include <string>

namespace apps {

// Sends the host's queries (the bank lookup) to the server from now on; false:
// back to the database.
void ReadThroughServer(bool through_server);

// The line that tells a user that --db is not used beside --server; nothing when
// not both are given.
std::optional<std::string> UnusedDatabaseNotice(const std::string& database_uri,
                                                const std::string& server_url);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_REMOTE_READS_H_
