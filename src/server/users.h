// The people who call the server, what each may do, and their secret tokens.
#ifndef EXTRATO_SERVER_USERS_H_
#define EXTRATO_SERVER_USERS_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/database.h"

namespace server {

// Each role may do what the ones before it may.
enum class Role {
  kLer = 1,          // lists and the history
  kImportar = 2,     // also imports and previews
  kAdministrar = 3,  // also registration and undo
};

std::string_view RoleName(Role role);
std::optional<Role> ParseRole(std::string_view name);

// Who is calling, as the history records it.
struct Caller {
  std::string name;
  Role role = Role::kAdministrar;
};

// The person running this process, with every role: the caller of a server that
// runs inside it.
Caller LocalCaller();

// The role a remote method needs.
Role RequiredRole(std::string_view method);

struct UserRow {
  std::string name;
  Role role = Role::kLer;
  std::string created;  // "YYYY-MM-DD HH:MM:SS"
};

// A user's token is "NAME:SECRET"; only a salted SHA-256 of it is stored, so the
// table tells nothing that opens the server. The secret has 256 random bits, which
// leaves nothing for a slower hash to protect.
class Users {
 public:
  Users(soci::session& session, Dialect dialect) : session_(session), dialect_(dialect) {}

  // Adds the user and answers the token, which is shown once and kept nowhere.
  // Throws DatabaseError for a name that is not valid or is taken.
  std::string Add(const std::string& name, Role role);
  // A new token for the user; the old one stops working. Throws DatabaseError for
  // a user that does not exist.
  std::string NewToken(const std::string& name);
  // False when there was no such user.
  bool Remove(const std::string& name);
  std::vector<UserRow> List();
  bool Any();

  // The user the token belongs to. The same work is done whether the name exists
  // or not, so that the time taken tells nothing.
  std::optional<Caller> Authenticate(std::string_view token);

 private:
  soci::session& session_;
  Dialect dialect_;
};

// Opens the database at `uri`, which must be at this program's schema version, and
// runs `work` on its users. Throws DatabaseError, a database failure included.
void WithUsers(const std::string& uri, const std::function<void(Users&)>& work);

// Why a user name is refused, or nothing for a good one: 1 to 30 letters, digits,
// '.', '_' or '-'.
std::optional<std::string> UserNameProblem(const std::string& name);

}  // namespace server

#endif  // EXTRATO_SERVER_USERS_H_
