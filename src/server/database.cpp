#include "server/database.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <fmt/format.h>
#include <libpq-fe.h>

#include "host/soci.h"

namespace server {

namespace {

constexpr int kBusyTimeoutSeconds = 60;

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

DatabaseUri ParseSqliteUri(const std::string& uri) {
  std::string path = uri.substr(std::string_view("sqlite:").size());
  if (StartsWith(path, "///"))
    path.erase(0, 2);
  if (path.empty())
    throw DatabaseError("Informe o arquivo do banco SQLite: sqlite:CAMINHO.");
  if (path.find('"') != std::string::npos) {
    throw DatabaseError(fmt::format("O caminho do banco SQLite não pode conter aspas: {}", path));
  }
  return {Dialect::kSqlite, path, "", "sqlite:" + path};
}

// libpq reads the URI; SOCI wants key/value pairs, quoted so that spaces and "=" survive.
DatabaseUri ParsePostgresqlUri(const std::string& uri) {
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
      PQconninfoParse(uri.c_str(), &error), &PQconninfoFree);
  if (!options) {
    std::string reason = error ? error : "";
    PQfreemem(error);
    throw DatabaseError(fmt::format("URI do PostgreSQL inválida: {}", reason));
  }
  std::string conninfo;
  std::string user, host, port, dbname;
  bool has_encoding = false;
  for (PQconninfoOption* option = options.get(); option->keyword; ++option) {
    if (!option->val)
      continue;
    std::string value = option->val, keyword = option->keyword, quoted;
    for (char c : value) {
      if (c == '\'' || c == '\\')
        quoted += '\\';
      quoted += c;
    }
    conninfo += fmt::format("{}{}='{}'", conninfo.empty() ? "" : " ", keyword, quoted);
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
  return {Dialect::kPostgresql, "", conninfo,
          fmt::format("postgresql://{}{}{}/{}", user, host, port, dbname)};
}

void TuneSqlite(soci::session& session) {
  auto* backend = static_cast<soci::sqlite3_session_backend*>(session.get_backend());
  // Tells a duplicate key apart from the other constraint failures (see IsDuplicateKey).
  sqlite_api::sqlite3_extended_result_codes(backend->conn_, 1);
  std::string mode;
  session << "PRAGMA journal_mode=WAL", soci::into(mode);
  session << "PRAGMA synchronous=NORMAL";
}

}  // namespace

DatabaseUri ParseDatabaseUri(const std::string& uri) {
  if (StartsWith(uri, "sqlite:"))
    return ParseSqliteUri(uri);
  if (StartsWith(uri, "postgresql://") || StartsWith(uri, "postgres://")) {
    return ParsePostgresqlUri(uri);
  }
  throw DatabaseError(fmt::format(
      "Banco de dados não reconhecido: '{}'. Use sqlite:CAMINHO ou postgresql://...", uri));
}

void Connect(soci::session& session, const DatabaseUri& uri) {
  try {
    if (uri.dialect == Dialect::kSqlite) {
      session.open(soci::sqlite3,
                   fmt::format("db=\"{}\" timeout={}", uri.path, kBusyTimeoutSeconds));
      TuneSqlite(session);
    } else {
      session.open(soci::postgresql, uri.conninfo);
      session << "SET datestyle TO ISO, YMD";
      session << "SET client_min_messages TO WARNING";
    }
  } catch (const soci::soci_error& e) {
    throw DatabaseError(fmt::format("Não foi possível abrir o banco de dados {}: {}", uri.text,
                                    e.get_error_message()));
  }
}

std::string DefaultDatabaseUri() {
  if (const char* uri = std::getenv("EXTRATO_DB"); uri && *uri)
    return uri;
  std::filesystem::path folder;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    folder = data;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::filesystem::path(home) / ".local" / "share";
  } else {
    throw DatabaseError(
        "Não foi possível achar a pasta de dados: defina HOME, XDG_DATA_HOME ou EXTRATO_DB.");
  }
  folder /= "extrato";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw DatabaseError(
        fmt::format("Não foi possível criar a pasta {}: {}", folder.string(), error.message()));
  }
  return "sqlite:" + (folder / "extrato.db").string();
}

bool IsDuplicateKey(const soci::soci_error& error) {
  if (auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&error)) {
    return pg->sqlstate() == "23505";  // unique_violation
  }
  if (auto* lite = dynamic_cast<const soci::sqlite3_soci_error*>(&error)) {
    return lite->result() == SQLITE_CONSTRAINT_PRIMARYKEY ||
           lite->result() == SQLITE_CONSTRAINT_UNIQUE;
  }
  return false;
}

}  // namespace server
