#include "server/statement_keys.h"

#include <algorithm>

namespace server {

namespace {

StatementKey KeyOf(const std::vector<host::FieldDef>& fields, const host::Row& row) {
  return {TextField(fields, row, "CDREDUCONT"), TextField(fields, row, "CDSEQUEXTR")};
}

const host::Row& RowOf(const host::Change& change) {
  return change.op == host::ChangeOp::kInsert ? change.new_row : change.old_row;
}

}  // namespace

std::string TextField(const std::vector<host::FieldDef>& fields, const host::Row& row,
                      std::string_view name) {
  auto field = std::find_if(fields.begin(), fields.end(),
                            [&](const host::FieldDef& f) { return f.name == name; });
  auto i = static_cast<std::size_t>(field - fields.begin());
  if (i >= row.size())
    return "";
  const auto* text = std::get_if<std::string>(&row[i]);
  return text ? *text : "";
}

AccountSet MovementAccounts(const host::PackedPacket& movements) {
  AccountSet accounts;
  for (const host::Row& row : movements.rows)
    accounts.insert(TextField(movements.fields, row, "CDREDUCONT"));
  return accounts;
}

std::set<StatementKey> MovementStatements(const host::PackedPacket& movements) {
  std::set<StatementKey> keys;
  for (const host::Row& row : movements.rows)
    keys.insert(KeyOf(movements.fields, row));
  return keys;
}

std::set<StatementKey> ChangedStatements(const host::ChangeSet& changes) {
  std::set<StatementKey> keys;
  for (const host::Change& change : changes.changes)
    keys.insert(KeyOf(changes.fields, RowOf(change)));
  return keys;
}

bool InsertsStatement(const host::ChangeSet& changes, const StatementKey& key) {
  return std::any_of(changes.changes.begin(), changes.changes.end(), [&](const host::Change& c) {
    return c.op == host::ChangeOp::kInsert && KeyOf(changes.fields, c.new_row) == key;
  });
}

}  // namespace server
