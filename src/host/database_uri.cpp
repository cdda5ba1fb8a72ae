#include "host/database_uri.h"

#include <memory>
#include <string_view>

#include <fmt/format.h>
#include <libpq-fe.h>

namespace host {

namespace {

DatabaseLocation ParseSqlite(const std::string& uri) {
  std::string path = uri.substr(std::string_view("sqlite:").size());
  if (path.starts_with("///"))
    path.erase(0, 2);
  if (path.empty())
    throw DatabaseUriError("Informe o arquivo do banco SQLite: sqlite:CAMINHO.");
  if (path.find('"') != std::string::npos) {
    throw DatabaseUriError(
        fmt::format("O caminho do banco SQLite não pode conter aspas: {}", path));
  }
  return {false, path, "", "sqlite:" + path};
}

std::string Quoted(const std::string& value) {
  std::string quoted;
  for (char c : value) {
    if (c == '\'' || c == '\\')
      quoted += '\\';
    quoted += c;
  }
  return "'" + quoted + "'";
}

// libpq reads the URI; SOCI wants key/value pairs, quoted so that spaces and "=" survive.
DatabaseLocation ParsePostgresql(const std::string& uri) {
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
      PQconninfoParse(uri.c_str(), &error), &PQconninfoFree);
  if (!options) {
    std::string reason = error ? error : "";
    PQfreemem(error);
    while (!reason.empty() && reason.back() == '\n')
      reason.pop_back();
    throw DatabaseUriError(fmt::format("URI do PostgreSQL inválida: {}", reason));
  }
  std::string conninfo;
  std::string user, host, port, dbname;
  bool has_encoding = false;
  for (PQconninfoOption* option = options.get(); option->keyword; ++option) {
    if (!option->val)
      continue;
    std::string value = option->val, keyword = option->keyword;
    conninfo += fmt::format("{}{}={}", conninfo.empty() ? "" : " ", keyword, Quoted(value));
    if (keyword == "user")
      user = value + "@";
    if (keyword == "host")
      host = value;
    if (keyword == "port")
      port = ":" + value;
    if (keyword == "dbname")
      dbname = value;
    if (keyword == "client_encoding")
      has_encoding = true;
  }
  if (!has_encoding)
    conninfo += " client_encoding='UTF8'";
  return {true, "", conninfo, fmt::format("postgresql://{}{}{}/{}", user, host, port, dbname)};
}

}  // namespace

DatabaseLocation ParseDatabaseLocation(const std::string& uri) {
  if (uri.starts_with("sqlite:"))
    return ParseSqlite(uri);
  if (uri.starts_with("postgresql://") || uri.starts_with("postgres://"))
    return ParsePostgresql(uri);
  throw DatabaseUriError(fmt::format(
      "Banco de dados não reconhecido: '{}'. Use sqlite:CAMINHO ou postgresql://...", uri));
}

std::string SociConnectString(const DatabaseLocation& location) {
  return location.postgresql ? location.conninfo : fmt::format("db=\"{}\"", location.path);
}

}  // namespace host
