#include "server/kept_statements.h"

#include "server/query.h"

namespace server {

// The values live here, bound once: each call copies its own into them.
struct KeptStatements::Kept {
  explicit Kept(soci::session& session) : statement(session) {}

  std::vector<SqlValue> values;
  soci::row row;
  soci::statement statement;
};

KeptStatements::KeptStatements(soci::session& session, Dialect dialect)
    : session_(session), dialect_(dialect) {}

KeptStatements::~KeptStatements() = default;

KeptStatements::Kept& KeptStatements::Prepared(const std::string& query, std::size_t params) {
  auto found = kept_.find(query);
  if (found != kept_.end())
    return *found->second;
  auto kept = std::make_unique<Kept>(session_);
  kept->values.resize(params);
  kept->statement.exchange(soci::into(kept->row));
  BindAll(kept->statement, kept->values);
  kept->statement.alloc();
  kept->statement.prepare(query, soci::details::st_repeatable_query);
  kept->statement.define_and_bind();
  return *kept_.emplace(query, std::move(kept)).first->second;
}

host::Packet KeptStatements::QueryPacket(const std::string& query, std::vector<SqlValue> params,
                                         std::vector<host::FieldDef> fields) {
  if (dialect_ == Dialect::kSqlite)
    return server::QueryPacket(session_, query, std::move(params), std::move(fields));
  Kept& kept = Prepared(query, params.size());
  // Element by element: the statement holds the address of each value.
  for (std::size_t i = 0; i < params.size(); ++i)
    kept.values[i] = std::move(params[i]);
  kept.statement.execute(false);
  return FetchPacket(kept.statement, kept.row, std::move(fields));
}

}  // namespace server
