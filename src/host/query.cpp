#include "host/query.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/config.h"
#include "host/database_uri.h"
#include "host/exceptions.h"
#include "host/net_connection.h"
#include "host/soci.h"

namespace host {

namespace {

constexpr std::string_view kSqlitePrefix = "sqlite:";

// SOCI's backend and connection string for a URI of ours.
std::pair<const soci::backend_factory*, std::string> SociTarget(const std::string& uri) {
  DatabaseLocation location;
  try {
    location = ParseDatabaseLocation(uri);
  } catch (const DatabaseUriError& e) {
    throw Exception(e.what());
  }
  const soci::backend_factory* factory =
      location.postgresql ? soci::factory_postgresql() : soci::factory_sqlite3();
  return {factory, SociConnectString(location)};
}

FieldValue ReadColumn(const soci::row& row, std::size_t index, FieldType type) {
  if (row.get_indicator(index) == soci::i_null)
    return std::monostate{};
  const soci::column_properties& column = row.get_properties(index);
  switch (column.get_data_type()) {
    case soci::dt_string:
      if (type == FieldType::kDate) {
        if (auto date = Date::FromIso(row.get<std::string>(index).substr(0, 10)))
          return *date;
      }
      return row.get<std::string>(index);
    case soci::dt_double:
      return row.get<double>(index);
    case soci::dt_integer:
      return type == FieldType::kText ? FieldValue(std::to_string(row.get<int>(index)))
                                      : FieldValue(static_cast<double>(row.get<int>(index)));
    case soci::dt_long_long:
      return type == FieldType::kText ? FieldValue(std::to_string(row.get<long long>(index)))
                                      : FieldValue(static_cast<double>(row.get<long long>(index)));
    case soci::dt_date: {
      std::tm tm = row.get<std::tm>(index);
      return Date(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    }
    default:
      return std::monostate{};
  }
}

}  // namespace

Dialect DialectOfUri(const std::string& uri) {
  if (uri.starts_with(kSqlitePrefix))
    return Dialect::kSqlite;
  if (uri.starts_with("postgresql:") || uri.starts_with("postgres:"))
    return Dialect::kPostgresql;
  return Dialect::kDefault;
}

struct TDataModule::Connection {
  soci::session session;
};

TDataModule::TDataModule(std::string name) : name_(std::move(name)) {}

TDataModule::~TDataModule() = default;

std::string TDataModule::DatabaseUri() const {
  return Config().database_uri.empty() ? DefaultDatabaseUri() : Config().database_uri;
}

void TDataModule::Disconnect() {
  connection_.reset();
  connected_uri_.clear();
}

std::vector<Row> TDataModule::Select(const std::string& sql, const Params& params,
                                     const std::vector<FieldDef>& fields) {
  std::string uri = DatabaseUri();
  try {
    if (!connection_ || connected_uri_ != uri) {
      auto [factory, target] = SociTarget(uri);
      auto connection = std::make_unique<Connection>();
      connection->session.open(*factory, target);
      connection_ = std::move(connection);
      connected_uri_ = uri;
    }
    soci::row row;
    soci::statement statement(connection_->session);
    statement.alloc();
    statement.prepare(sql);
    // Values and indicators must outlive the statement's execution.
    std::vector<std::string> values(params.size());
    std::vector<soci::indicator> indicators(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
      values[i] = params[i].second.value_or(std::string());
      indicators[i] = params[i].second ? soci::i_ok : soci::i_null;
      statement.exchange(soci::use(values[i], indicators[i], params[i].first));
    }
    statement.exchange(soci::into(row));
    statement.define_and_bind();
    std::vector<Row> rows;
    if (statement.execute(true)) {
      do {
        Row out;
        for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i) {
          out.push_back(ReadColumn(row, i, fields[i].type));
        }
        out.resize(fields.size());
        rows.push_back(std::move(out));
      } while (statement.fetch());
    }
    return rows;
  } catch (const soci::soci_error& e) {
    Disconnect();
    throw Exception(fmt::format("Erro ao consultar o banco de dados: {}", e.what()));
  }
}

std::vector<Row> TDataModule::Read(const std::string& query, const std::string& sql,
                                   const Params& params, const std::vector<FieldDef>& fields) {
  return reader_ ? reader_(query, params, fields) : Select(sql, params, fields);
}

TDataModule::Reader ServerQueryReader(const std::string& server_name) {
  auto connection = std::make_shared<TNetConnection>("netConsultas");
  connection->SetServerName(server_name);
  return [connection](const std::string& query, const TDataModule::Params& params,
                      const std::vector<FieldDef>& fields) {
    if (!connection->Connected()) {
      connection->SetHost(Config().web_url);
      connection->SetPort(Config().web_port);
      connection->SetConnected(true);
    }
    std::string_view name = query;
    if (name.starts_with("qry"))
      name.remove_prefix(3);
    Variant values = Variant::array();
    for (const auto& [param, value] : params)
      values.push_back(value.value_or(std::string()));
    Variant answer = connection->AppServer().Call(fmt::format("Get{}", name), values);
    if (!answer.value("ok", false)) {
      throw Exception(answer.value("error", std::string("Resposta inválida do servidor de "
                                                        "aplicação.")));
    }
    Packet packet = PacketFromJson(answer["result"]);
    std::vector<std::size_t> columns;
    for (const FieldDef& field : fields) {
      auto found = std::find_if(packet.fields.begin(), packet.fields.end(),
                                [&](const FieldDef& f) { return f.name == field.name; });
      columns.push_back(static_cast<std::size_t>(found - packet.fields.begin()));
    }
    std::vector<Row> rows;
    for (const Row& row : packet.rows) {
      Row out(fields.size());
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (columns[i] < row.size())
          out[i] = row[columns[i]];
      }
      rows.push_back(std::move(out));
    }
    return rows;
  };
}

TDataModule& dtmDBGeral() {
  static TDataModule module("dtmDBGeral");
  return module;
}

TADOIBQuery::TADOIBQuery(std::string name, TDataModule& data_module)
    : Object(std::move(name)),
      data_module_(&data_module),
      rows_(std::make_unique<RecordSet>(Name(), std::vector<FieldDef>{})) {}

void TADOIBQuery::SetSql(Dialect dialect, std::vector<std::string> lines) {
  sql_[dialect] = std::move(lines);
}

const std::vector<std::string>& TADOIBQuery::Sql(Dialect dialect) const {
  static const std::vector<std::string> kNone;
  auto it = sql_.find(dialect);
  return it == sql_.end() ? kNone : it->second;
}

std::string TADOIBQuery::StatementText() const {
  auto it = sql_.find(data_module_->GetDialect());
  const auto& lines = it != sql_.end() ? it->second : Sql(Dialect::kDefault);
  std::string text;
  for (const auto& line : lines)
    text += line + "\n";
  return text;
}

void TADOIBQuery::SetFields(std::vector<QueryField> fields) {
  fields_ = std::move(fields);
  std::vector<FieldDef> defs;
  for (const auto& f : fields_)
    defs.push_back(f.def);
  rows_ = std::make_unique<RecordSet>(Name(), std::move(defs));
}

void TADOIBQuery::SetParam(const std::string& name, std::string value) {
  params_[name] = std::move(value);
}

void TADOIBQuery::ClearParam(const std::string& name) {
  params_[name] = std::nullopt;
}

void TADOIBQuery::Open() {
  std::string sql = StatementText();
  TDataModule::Params params;
  for (const auto& [name, value] : params_) {
    if (sql.find(":" + name) != std::string::npos)
      params.emplace_back(name, value);
  }
  Packet packet{rows_->FieldDefs(), data_module_->Read(Name(), sql, params, rows_->FieldDefs())};
  rows_->LoadPacket(packet);
  rows_->First();
}

void TADOIBQuery::Close() {
  rows_->Close();
}

void TADOIBQuery::MoveTo(std::size_t index) {
  rows_->First();
  for (std::size_t i = 0; i < index && !rows_->Eof(); ++i)
    rows_->Next();
}

TDataSource::Listing TADOIBQuery::Listing() {
  TDataSource::Listing listing;
  for (const auto& f : fields_) {
    if (f.visible)
      listing.column_titles.push_back(f.display_label);
  }
  for (rows_->First(); !rows_->Eof(); rows_->Next()) {
    std::vector<std::string> row;
    for (const auto& f : fields_) {
      if (f.visible)
        row.push_back(rows_->FieldByName(f.def.name).AsString());
    }
    listing.rows.push_back(std::move(row));
  }
  rows_->First();
  return listing;
}

}  // namespace host
