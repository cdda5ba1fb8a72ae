#include "host/config.h"

#include <charconv>
#include <cstdlib>

#include <fmt/format.h>

#include "host/exceptions.h"

namespace host {

namespace {

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    return std::nullopt;
  return std::string(value);
}

int ParsePort(const std::string& text) {
  int port = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
    throw Exception(fmt::format("Porta do servidor de aplicação inválida: '{}'.", text));
  }
  return port;
}

}  // namespace

HostConfig LoadHostConfig(const HostConfigOverrides& overrides) {
  HostConfig config;
  if (auto v = Env("EXTRATO_WEB_URL"))
    config.web_url = *v;
  if (auto v = Env("EXTRATO_WEB_PORT"))
    config.web_port = ParsePort(*v);
  if (auto v = Env("EXTRATO_EMPRESA"))
    config.empresa = *v;
  if (auto v = Env("EXTRATO_DB"))
    config.database_uri = *v;
  if (auto v = Env("EXTRATO_TOKEN"))
    config.token = *v;
  if (auto v = Env("EXTRATO_CA"))
    config.ca_file = *v;
  if (overrides.web_url)
    config.web_url = *overrides.web_url;
  if (overrides.web_port) {
    config.web_port = ParsePort(std::to_string(*overrides.web_port));
  }
  if (overrides.web_tls)
    config.web_tls = *overrides.web_tls;
  if (overrides.ca_file)
    config.ca_file = *overrides.ca_file;
  if (overrides.empresa)
    config.empresa = *overrides.empresa;
  if (overrides.database_uri)
    config.database_uri = *overrides.database_uri;
  if (overrides.token)
    config.token = *overrides.token;
  return config;
}

std::string DefaultDatabaseUri() {
  if (auto uri = Env("EXTRATO_DB"))
    return *uri;
  auto data_home = Env("XDG_DATA_HOME");
  if (!data_home) {
    auto home = Env("HOME");
    data_home = fmt::format("{}/.local/share", home ? *home : std::string("."));
  }
  return fmt::format("sqlite:{}/extrato/extrato.db", *data_home);
}

HostConfig& Config() {
  static HostConfig config = LoadHostConfig();
  return config;
}

}  // namespace host
