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

std::string PackedText(const host::PackedRows& rows, std::size_t row, std::size_t index) {
  host::FieldValue value = rows.Field(row, index);
  auto* text = std::get_if<std::string>(&value);
  return text ? std::move(*text) : "";
}

}  // namespace

std::string TextField(const std::vector<host::FieldDef>& fields, const host::Row& row,
                      std::string_view name) {
  std::size_t i = host::FieldIndex(fields, name);
  if (i >= row.size())
    return "";
  const auto* text = std::get_if<std::string>(&row[i]);
  return text ? *text : "";
}

AccountSet MovementAccounts(const host::PackedPacket& movements) {
  AccountSet accounts;
  for (const auto& [account, count] : MovementsPerAccount(movements))
    accounts.insert(account);
  return accounts;
}

std::map<std::string, int> MovementsPerAccount(const host::PackedPacket& movements) {
  std::size_t account = host::FieldIndex(movements.fields, "CDREDUCONT");
  std::map<std::string, int> counts;
  for (std::size_t i = 0; i < movements.rows.size(); ++i)
    ++counts[PackedText(movements.rows, i, account)];
  return counts;
}

std::set<StatementKey> MovementStatements(const host::PackedPacket& movements) {
  std::size_t account = host::FieldIndex(movements.fields, "CDREDUCONT");
  std::size_t statement = host::FieldIndex(movements.fields, "CDSEQUEXTR");
  std::set<StatementKey> keys;
  for (std::size_t i = 0; i < movements.rows.size(); ++i) {
    keys.insert({PackedText(movements.rows, i, account), PackedText(movements.rows, i, statement)});
  }
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
