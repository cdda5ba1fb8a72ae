// The remote methods of the statement service, each with the arguments it takes.
#ifndef EXTRATO_SERVER_METHODS_H_
#define EXTRATO_SERVER_METHODS_H_

#include <span>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/arguments.h"
#include "server/database.h"
#include "server/expected.h"

namespace server {

class KeptStatements;

// What a method answers: its payload, or a failure shown to the user.
using Result = Expected<nlohmann::json>;

// The database a method works on, held by the calling thread for the call.
struct Db {
  soci::session& session;
  Dialect dialect;
  // Who called: the history records who imported and who undid.
  std::string_view user;
  // The queries this session keeps prepared.
  KeptStatements& kept;
};

struct Method {
  std::string_view name;
  std::vector<Param> params;
  // Runs with arguments already checked against `params`. May throw soci::soci_error
  // or DatabaseError; the dispatcher turns those into failures.
  Result (*run)(Db& db, const Arguments& args);
};

// Reads of banks, accounts, layouts and the remembered folder.
std::vector<Method> LookupMethods();
// Reads of statements and movements.
std::vector<Method> StatementMethods();
// Writes: the remembered folder, statement headers, submissions.
std::vector<Method> StoreMethods();
// Many movement lookups in one call.
std::vector<Method> BatchLookupMethods();

// The arguments of one movement lookup (GetPesqLanc), in order, and the fields of
// its answer.
std::span<const Param> PesqLancParams();
const std::vector<host::FieldDef>& PesqLancFields();

}  // namespace server

#endif  // EXTRATO_SERVER_METHODS_H_
