#ifndef EXTRATO_HOST_QUERY_H_
#define EXTRATO_HOST_QUERY_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/controls.h"
#include "host/record_set.h"

namespace host {

// The database engines a query can hold a statement for.
enum class Dialect { kDefault, kOracle, kMssql, kInterbase, kSqlite, kPostgresql };

// Which dialect a database URI speaks: "sqlite:PATH" or "postgresql://...".
Dialect DialectOfUri(const std::string& uri);

// The host's general data module: one database connection shared by the queries
// of every screen, opened on first use.
class TDataModule {
 public:
  explicit TDataModule(std::string name);
  ~TDataModule();
  // The URI in force: the configured one, or the default database.
  std::string DatabaseUri() const;
  Dialect GetDialect() const { return DialectOfUri(DatabaseUri()); }
  // Runs a SELECT with named text parameters (absent or null: SQL null) and
  // answers its rows as the given fields. Throws host::Exception with the
  // database's text on failure.
  using Params = std::vector<std::pair<std::string, std::optional<std::string>>>;
  std::vector<Row> Select(const std::string& sql, const Params& params,
                          const std::vector<FieldDef>& fields);
  // Drops the connection; the next query opens it again (for a changed URI).
  void Disconnect();

  // Where the queries read when the database is the application server's alone
  // (a workstation that knows only the server's address): the query's name and
  // parameters in, its rows out. Throws host::Exception.
  using Reader = std::function<std::vector<Row>(const std::string& query, const Params& params,
                                                const std::vector<FieldDef>& fields)>;
  // Null: the database, directly.
  void SetReader(Reader reader) { reader_ = std::move(reader); }
  // Runs the query named `query` through the reader when there is one, else `sql`.
  std::vector<Row> Read(const std::string& query, const std::string& sql, const Params& params,
                        const std::vector<FieldDef>& fields);

 private:
  Reader reader_;
  struct Connection;
  std::string name_;
  std::unique_ptr<Connection> connection_;
  std::string connected_uri_;
};

TDataModule& dtmDBGeral();

// A reader through the application server of the host configuration: the query
// named N is the server's method "Get" + N without its "qry" ("qryBanco":
// "GetBanco"), given the parameters' values in order, a null one as "".
TDataModule::Reader ServerQueryReader(const std::string& server_name);

// How a query field shows in a search list.
struct QueryField {
  FieldDef def;
  std::string display_label;
  bool required = false;
  bool visible = true;
};

// A read-only query on the general data module. It holds one statement per
// dialect and runs the one for the engine in use (the default text otherwise).
class TADOIBQuery : public Object {
 public:
  explicit TADOIBQuery(std::string name, TDataModule& data_module = dtmDBGeral());

  void SetSql(Dialect dialect, std::vector<std::string> lines);
  const std::vector<std::string>& Sql(Dialect dialect) const;
  // The text that Open runs on the current engine.
  std::string StatementText() const;

  void SetFields(std::vector<QueryField> fields);
  const std::vector<QueryField>& Fields() const { return fields_; }

  // Parameters by name; a parameter that was never set, or cleared, is null.
  void SetParam(const std::string& name, std::string value);
  void ClearParam(const std::string& name);

  void Open();
  void Close();
  bool Active() const { return rows_->Active(); }

  bool IsEmpty() const { return rows_->IsEmpty(); }
  int RecordCount() const { return rows_->RecordCount(); }
  void First() { rows_->First(); }
  void Next() { rows_->Next(); }
  bool Eof() const { return rows_->Eof(); }
  // Moves to the row at this index of the result, in its order.
  void MoveTo(std::size_t index);
  // The field of the current row.
  Field FieldByName(std::string_view name) { return rows_->FieldByName(name); }

  // The visible fields' labels and every row's visible values, for a search list.
  TDataSource::Listing Listing();

 private:
  TDataModule* data_module_;
  std::map<Dialect, std::vector<std::string>> sql_;
  std::vector<QueryField> fields_;
  std::map<std::string, std::optional<std::string>> params_;
  std::unique_ptr<RecordSet> rows_;
};

}  // namespace host

#endif  // EXTRATO_HOST_QUERY_H_
