#include "server/users.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <utility>

#include <pwd.h>
#include <unistd.h>

#include <fmt/format.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include "host/soci.h"
#include "server/in_process_server.h"
#include "server/schema.h"
#include "server/write_transaction.h"

namespace server {

namespace {

constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kSecretBytes = 32;
constexpr std::size_t kMaxName = 30;
constexpr char kSeparator = ':';

constexpr std::array<std::string_view, 3> kRoleNames = {"ler", "importar", "administrar"};

// Registration and undo; every other method that is not a read imports.
constexpr std::array<std::string_view, 8> kAdministration = {
    "IncluiBanco", "AlteraBanco", "ExcluiBanco", "IncluiConta",
    "AlteraConta", "ExcluiConta", "SetLayout",   "DesfazImportacao"};

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i)
    text += fmt::format("{:02x}", bytes[i]);
  return text;
}

std::string RandomHex(std::size_t bytes) {
  std::vector<unsigned char> random(bytes);
  if (RAND_bytes(random.data(), static_cast<int>(bytes)) != 1)
    throw DatabaseError("Não foi possível gerar um token: falta entropia ao sistema.");
  return Hex(random.data(), bytes);
}

std::string Digest(std::string_view salt, std::string_view token) {
  std::string salted = std::string(salt) + std::string(token);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  EVP_Digest(salted.data(), salted.size(), digest.data(), &size, EVP_sha256(), nullptr);
  return Hex(digest.data(), size);
}

std::string Now() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", utc.tm_year + 1900, utc.tm_mon + 1,
                     utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

struct StoredToken {
  std::string salt;
  std::string hash;
};

// A fresh token for the name, and what is stored of it.
std::pair<std::string, StoredToken> MakeToken(const std::string& name) {
  std::string token = name + kSeparator + RandomHex(kSecretBytes);
  std::string salt = RandomHex(kSaltBytes);
  return {token, {salt, Digest(salt, token)}};
}

}  // namespace

std::string_view RoleName(Role role) {
  return kRoleNames[static_cast<std::size_t>(role) - 1];
}

std::optional<Role> ParseRole(std::string_view name) {
  for (std::size_t i = 0; i < kRoleNames.size(); ++i) {
    if (kRoleNames[i] == name)
      return static_cast<Role>(i + 1);
  }
  return std::nullopt;
}

Caller LocalCaller() {
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_name != nullptr)
    return {entry->pw_name, Role::kAdministrar};
  const char* user = std::getenv("USER");
  return {user != nullptr ? user : "local", Role::kAdministrar};
}

Role RequiredRole(std::string_view method) {
  for (std::string_view name : kAdministration) {
    if (name == method)
      return Role::kAdministrar;
  }
  // The methods' naming: Get reads and never writes.
  return method.starts_with("Get") ? Role::kLer : Role::kImportar;
}

std::optional<std::string> UserNameProblem(const std::string& name) {
  if (name.empty() || name.size() > kMaxName)
    return fmt::format("O nome do usuário tem de 1 a {} caracteres.", kMaxName);
  for (char c : name) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '.' || c == '_' || c == '-';
    if (!allowed) {
      return fmt::format(
          "Nome de usuário inválido: '{}'. Use letras sem acento, algarismos, '.', '_' ou '-'.",
          name);
    }
  }
  return std::nullopt;
}

std::string Users::Add(const std::string& name, Role role) {
  if (auto problem = UserNameProblem(name))
    throw DatabaseError(*problem);
  auto [token, stored] = MakeToken(name);
  std::string role_name(RoleName(role));
  std::string created = Now();
  WriteTransaction transaction(session_, dialect_);
  int taken = 0;
  session_ << "SELECT COUNT(*) FROM USUARIO WHERE NMUSUARIO = :nome", soci::use(name),
      soci::into(taken);
  if (taken > 0)
    throw DatabaseError(fmt::format("O usuário {} já existe.", name));
  session_ << "INSERT INTO USUARIO (NMUSUARIO, IDPAPEL, DSSAL, DSHASHTOKEN, DTHRCRIACAO) "
              "VALUES (:nome, :papel, :sal, :hash, :criado)",
      soci::use(name), soci::use(role_name), soci::use(stored.salt), soci::use(stored.hash),
      soci::use(created);
  transaction.Commit();
  return token;
}

std::string Users::NewToken(const std::string& name) {
  auto [token, stored] = MakeToken(name);
  WriteTransaction transaction(session_, dialect_);
  soci::statement update =
      (session_.prepare << "UPDATE USUARIO SET DSSAL = :sal, DSHASHTOKEN = :hash "
                           "WHERE NMUSUARIO = :nome",
       soci::use(stored.salt), soci::use(stored.hash), soci::use(name));
  update.execute(true);
  if (update.get_affected_rows() == 0)
    throw DatabaseError(fmt::format("O usuário {} não existe.", name));
  transaction.Commit();
  return token;
}

bool Users::Remove(const std::string& name) {
  WriteTransaction transaction(session_, dialect_);
  soci::statement remove =
      (session_.prepare << "DELETE FROM USUARIO WHERE NMUSUARIO = :nome", soci::use(name));
  remove.execute(true);
  bool removed = remove.get_affected_rows() > 0;
  transaction.Commit();
  return removed;
}

std::vector<UserRow> Users::List() {
  std::vector<UserRow> rows;
  soci::rowset<soci::row> found = (session_.prepare << "SELECT NMUSUARIO, IDPAPEL, DTHRCRIACAO "
                                                       "FROM USUARIO ORDER BY NMUSUARIO");
  for (const soci::row& row : found) {
    rows.push_back({row.get<std::string>(0),
                    ParseRole(row.get<std::string>(1)).value_or(Role::kLer),
                    row.get<std::string>(2)});
  }
  return rows;
}

bool Users::Any() {
  int count = 0;
  session_ << "SELECT COUNT(*) FROM USUARIO", soci::into(count);
  return count > 0;
}

void WithUsers(const std::string& uri, const std::function<void(Users&)>& work) {
  RequireExistingDatabase(uri);
  DatabaseUri parsed = ParseDatabaseUri(uri);
  soci::session session;
  Connect(session, parsed);
  try {
    if (StoredSchemaVersion(session, parsed.dialect) != kSchemaVersion) {
      throw DatabaseError(fmt::format(
          "O banco de dados {} não está na versão {} do esquema: execute 'extrato db init'.",
          parsed.text, kSchemaVersion));
    }
    Users users(session, parsed.dialect);
    work(users);
  } catch (const soci::soci_error& e) {
    throw DatabaseError(
        fmt::format("Falha no banco de dados {}: {}", parsed.text, e.get_error_message()));
  }
}

std::optional<Caller> Users::Authenticate(std::string_view token) {
  std::size_t separator = token.rfind(kSeparator);
  std::string name(token.substr(0, separator == std::string_view::npos ? 0 : separator));
  std::string role_name;
  StoredToken stored{std::string(kSaltBytes * 2, '0'), std::string(64, '0')};
  soci::indicator found = soci::i_null;
  session_ << "SELECT IDPAPEL, DSSAL, DSHASHTOKEN FROM USUARIO WHERE NMUSUARIO = :nome",
      soci::use(name), soci::into(role_name, found), soci::into(stored.salt),
      soci::into(stored.hash);
  bool known = session_.got_data() && found == soci::i_ok;
  std::string given = Digest(stored.salt, token);
  bool same = given.size() == stored.hash.size() &&
              CRYPTO_memcmp(given.data(), stored.hash.data(), given.size()) == 0;
  std::optional<Role> role = ParseRole(role_name);
  if (!known || !same || !role)
    return std::nullopt;
  return Caller{name, *role};
}

}  // namespace server
