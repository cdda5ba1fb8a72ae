#include "server/database.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <fmt/format.h>

#include "host/database_uri.h"
#include "host/soci.h"

namespace server {

namespace {

constexpr int kBusyTimeoutSeconds = 60;

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
  try {
    host::DatabaseLocation location = host::ParseDatabaseLocation(uri);
    return {location.postgresql ? Dialect::kPostgresql : Dialect::kSqlite, location.path,
            location.conninfo, location.text};
  } catch (const host::DatabaseUriError& e) {
    throw DatabaseError(e.what());
  }
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
      // A kept statement is planned on every call: a plan kept from when MOVREAL was
      // nearly empty would go on scanning all of it for every lookup as it grows.
      session << "SET plan_cache_mode TO force_custom_plan";
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
