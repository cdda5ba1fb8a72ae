#include "apps/common/server_address.h"

#include <charconv>
#include <string_view>

#include <fmt/format.h>

#include "host/config.h"
#include "host/exceptions.h"

namespace apps {

std::optional<ServerAddress> ParseServerAddress(const std::string& text, int default_port) {
  std::string_view rest = text;
  constexpr std::string_view kPlain = "http://";
  constexpr std::string_view kTls = "https://";
  bool tls = rest.starts_with(kTls);
  if (tls)
    rest.remove_prefix(kTls.size());
  else if (rest.starts_with(kPlain))
    rest.remove_prefix(kPlain.size());
  else if (rest.find("://") != std::string_view::npos)
    return std::nullopt;
  rest = rest.substr(0, rest.find('/'));
  auto colon = rest.rfind(':');
  ServerAddress address{std::string(rest.substr(0, colon)), default_port, tls};
  if (colon != std::string_view::npos) {
    std::string_view digits = rest.substr(colon + 1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), address.port);
    if (error != std::errc() || end != digits.data() + digits.size() || address.port < 1 ||
        address.port > 65535) {
      return std::nullopt;
    }
  }
  if (address.host.empty() || address.host.find_first_of(" :@") != std::string::npos)
    return std::nullopt;
  return address;
}

ServerAddress ServerAddressOf(const std::string& text) {
  if (auto address = ParseServerAddress(text, host::HostConfig{}.web_port))
    return *address;
  throw host::Exception(fmt::format(
      "Endereço do servidor inválido: '{}'. Use http://HOST:PORTA ou https://HOST:PORTA.", text));
}

}  // namespace apps
