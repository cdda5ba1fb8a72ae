// What a client says of its import beside the rows it submits: the version of each
// account it read, and the file the rows came from.
#ifndef EXTRATO_SERVER_IMPORT_CONTEXT_H_
#define EXTRATO_SERVER_IMPORT_CONTEXT_H_

#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "server/expected.h"

namespace server {

struct ImportContext {
  // Account -> the version the client read before its first read of the account.
  std::map<std::string, long long> versions;
  std::string file;  // as the user named it; may be empty
  // A preview: the submission is checked as any other, and nothing of it is kept.
  bool trial = false;
};

// {"versoes": {"001": 7}, "arquivo": "...", "simulacao": true}; null (an older
// client): none.
Expected<std::optional<ImportContext>> ReadImportContext(const nlohmann::json& value);

}  // namespace server

#endif  // EXTRATO_SERVER_IMPORT_CONTEXT_H_
