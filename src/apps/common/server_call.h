#ifndef EXTRATO_APPS_COMMON_SERVER_CALL_H_
#define EXTRATO_APPS_COMMON_SERVER_CALL_H_

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

namespace apps {

// Calls a method of the application server and answers its payload; throws.
using ServerCall = std::function<nlohmann::json(const std::string&, const nlohmann::json&)>;

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_SERVER_CALL_H_
