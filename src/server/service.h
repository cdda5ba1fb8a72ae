// The statement service: answers remote calls of the screen's data module.
#ifndef EXTRATO_SERVER_SERVICE_H_
#define EXTRATO_SERVER_SERVICE_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "server/methods.h"
#include "server/request_reader.h"
#include "server/users.h"

namespace server {

class SessionPool;

struct ServiceOptions {
  // "sqlite:PATH" or a "postgresql://" URI.
  std::string database_uri;
  // Database sessions; more calls than this at once wait for a free one.
  std::size_t pool_size = 4;
  // Create or migrate the tables when opening. Otherwise they must be there already,
  // at this program's schema version.
  bool create_schema = false;
};

// The message for a request that is not {"method": "<name>", "params": [...]}.
std::optional<std::string> RequestShapeError(const nlohmann::json& request);

class Service {
 public:
  // Throws DatabaseError when the database cannot be opened or its tables are missing
  // or of another version.
  static std::unique_ptr<Service> Open(const ServiceOptions& options);
  ~Service();

  // Answers one request {"method": ..., "params": [...]} with the envelope
  // {"ok": true, "result": ...} or {"ok": false, "error": "..."}; never throws.
  // Thread-safe: called from many HTTP workers at once. A method that needs a role
  // the caller lacks is refused with a text that names the role.
  nlohmann::json Handle(const nlohmann::json& request, const Caller& caller = LocalCaller());
  // The same, for a call whose packets were read as the request arrived.
  nlohmann::json Handle(Call call, const Caller& caller);

  // The registered user a token belongs to; nothing for any other token.
  std::optional<Caller> Authenticate(std::string_view token);
  // Whether any user is registered: then every call must bring a token.
  bool HasUsers();
  // Whether the database answers now; never throws.
  bool Healthy();

 private:
  explicit Service(std::unique_ptr<SessionPool> pool);
  Result Dispatch(Call& call, const Caller& caller);
  Result Run(const Method& method, const Arguments& args, const Caller& caller);

  std::unique_ptr<SessionPool> pool_;
  std::unordered_map<std::string_view, Method> methods_;
};

}  // namespace server

#endif  // EXTRATO_SERVER_SERVICE_H_
