#include "server/change_writer.h"

#include <fmt/format.h>

#include "server/database.h"
#include "server/field_mapping.h"
#include "server/query.h"

namespace server {

namespace {

// One change at a time; after a failure the rest are passed over.
class ChangeWriter : public host::ChangeSet::Handler {
 public:
  ChangeWriter(soci::session& session, const FieldMapping& mapping, StoredKey stored_key)
      : session_(session), mapping_(mapping), stored_key_(stored_key) {}

  void Insert(const host::Row& new_row) override {
    if (!Begin({&new_row}))
      return;
    std::string columns, values;
    for (std::size_t i = 0; i < mapping_.size(); ++i) {
      columns += fmt::format("{}{}", i ? ", " : "", mapping_.column(i).name);
      values += fmt::format("{}:v{}", i ? ", " : "", i);
    }
    std::string sql =
        fmt::format("INSERT INTO {} ({}) VALUES ({})", mapping_.table().name, columns, values);
    if (stored_key_ == StoredKey::kUpdate)
      sql += OnConflictUpdate();
    Write(sql, Values(new_row, nullptr), new_row, new_row);
  }

  void Modify(const host::Row& old_row, const host::Row& new_row) override {
    if (!Begin({&old_row, &new_row}))
      return;
    std::string assignments;
    for (std::size_t i = 0; i < mapping_.size(); ++i) {
      assignments += fmt::format("{}{} = :v{}", i ? ", " : "", mapping_.column(i).name, i);
    }
    Write(fmt::format("UPDATE {} SET {} WHERE {}", mapping_.table().name, assignments, KeyTest()),
          Values(new_row, &old_row), old_row, new_row);
  }

  void Delete(const host::Row& old_row) override {
    if (!Begin({&old_row}))
      return;
    Write(fmt::format("DELETE FROM {} WHERE {}", mapping_.table().name, KeyTest()),
          Values(host::Row{}, &old_row), old_row, old_row);
  }

  const Status& status() const { return status_; }

 private:
  // Counts the change and checks its rows; false once a change has failed.
  bool Begin(std::initializer_list<const host::Row*> rows) {
    if (!status_.ok())
      return false;
    ++number_;
    for (const host::Row* row : rows) {
      status_ = mapping_.CheckRow(*row, fmt::format("Alteração {}", number_));
      if (!status_.ok())
        return false;
    }
    return true;
  }

  std::string KeyTest() const {
    std::string test;
    std::size_t k = 0;
    for (const Column& column : mapping_.table().columns) {
      if (!column.key)
        continue;
      test += fmt::format("{}{} = :k{}", k ? " AND " : "", column.name, k);
      ++k;
    }
    return test;
  }

  // Both databases take this form; the key's row gets the new values.
  std::string OnConflictUpdate() const {
    std::string key, assignments;
    for (const Column& column : mapping_.table().columns) {
      if (column.key)
        key += fmt::format("{}{}", key.empty() ? "" : ", ", column.name);
    }
    for (std::size_t i = 0; i < mapping_.size(); ++i) {
      std::string_view name = mapping_.column(i).name;
      assignments += fmt::format("{}{} = excluded.{}", i ? ", " : "", name, name);
    }
    return fmt::format(" ON CONFLICT ({}) DO UPDATE SET {}", key, assignments);
  }

  // The new row's values, then the old row's key values.
  std::vector<SqlValue> Values(const host::Row& new_row, const host::Row* old_row) const {
    std::vector<SqlValue> values;
    for (const host::FieldValue& value : new_row)
      values.push_back(ToSqlValue(value));
    if (old_row) {
      for (std::string& key : mapping_.KeyValues(*old_row))
        values.push_back(TextValue(key));
    }
    return values;
  }

  // `target` names the row the statement must find; `clash` the one whose key may be taken.
  void Write(const std::string& sql, std::vector<SqlValue> values, const host::Row& target,
             const host::Row& clash) {
    try {
      if (Execute(session_, sql, std::move(values)) == 0) {
        status_ = Failure{fmt::format("O {} não está cadastrado.", Label(target))};
      }
    } catch (const soci::soci_error& e) {
      if (!IsDuplicateKey(e))
        throw;
      status_ = Failure{fmt::format("O {} já está cadastrado.", Label(clash))};
    }
  }

  std::string Label(const host::Row& row) const {
    return RowLabel(mapping_.table(), mapping_.KeyValues(row));
  }

  soci::session& session_;
  const FieldMapping& mapping_;
  StoredKey stored_key_;
  Status status_ = Ok();
  int number_ = 0;
};

}  // namespace

Status ApplyChangeSet(soci::session& session, const Table& table, const host::ChangeSet& change_set,
                      StoredKey stored_key) {
  auto mapping = FieldMapping::Make(table, change_set.fields);
  if (!mapping.ok())
    return mapping.failure();
  ChangeWriter writer(session, mapping.value(), stored_key);
  change_set.Iterate(writer);
  return writer.status();
}

}  // namespace server
