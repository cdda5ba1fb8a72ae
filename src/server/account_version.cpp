#include "server/account_version.h"

#include <cstdint>

#include "host/soci.h"
#include "server/query.h"

namespace server {

namespace {

// 64 bits of FNV-1a: the same account gets the same lock in every server process.
long long LockKey(std::string_view account) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : std::string_view("extrato.MOVREAL.")) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  for (char c : account)
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return static_cast<long long>(hash);
}

}  // namespace

long long AccountVersion(soci::session& session, const std::string& account) {
  return QueryNumber(session,
                     "SELECT COALESCE(MAX(NRVERSAO), 0) FROM VERSAOCONTA WHERE CDREDUCONT = :conta",
                     {TextValue(account)});
}

void RaiseAccountVersions(soci::session& session, const AccountSet& accounts) {
  for (const std::string& account : accounts) {
    Execute(session,
            "INSERT INTO VERSAOCONTA (CDREDUCONT, NRVERSAO) VALUES (:conta, 1) ON CONFLICT "
            "(CDREDUCONT) DO UPDATE SET NRVERSAO = VERSAOCONTA.NRVERSAO + 1",
            {TextValue(account)});
  }
}

void LockAccounts(soci::session& session, Dialect dialect, const AccountSet& accounts) {
  if (dialect != Dialect::kPostgresql)
    return;
  for (const std::string& account : accounts) {
    QueryNumber(session, "SELECT 1 FROM (SELECT pg_advisory_xact_lock(:chave)) trava",
                {TextValue(std::to_string(LockKey(account)))});
  }
}

}  // namespace server
