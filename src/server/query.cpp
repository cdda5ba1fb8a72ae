#include "server/query.h"

#include <cstdlib>
#include <ctime>

#include <fmt/format.h>

#include "server/database.h"

namespace server {

namespace {

// A statement run once: PostgreSQL then takes it in one round trip, where a prepared
// one costs three (prepare, execute, deallocate).
void PrepareOnce(soci::statement& statement, const std::string& sql) {
  statement.alloc();
  statement.prepare(sql, soci::details::st_one_time_query);
  statement.define_and_bind();
}

host::FieldValue ReadDate(const soci::row& row, std::size_t i, const host::FieldDef& field) {
  if (row.get_properties(i).get_data_type() == soci::dt_date) {
    std::tm tm = row.get<std::tm>(i);
    return host::Date(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  }
  std::string text = row.get<std::string>(i);
  if (auto date = host::Date::FromIso(text))
    return *date;
  throw DatabaseError(fmt::format("Data inválida '{}' gravada em {}.", text, field.name));
}

host::FieldValue ReadAmount(const soci::row& row, std::size_t i, const host::FieldDef& field) {
  switch (row.get_properties(i).get_data_type()) {
    case soci::dt_double:
      return row.get<double>(i);
    case soci::dt_integer:
      return static_cast<double>(row.get<int>(i));
    case soci::dt_long_long:
      return static_cast<double>(row.get<long long>(i));
    default:
      break;
  }
  std::string text = row.get<std::string>(i);
  char* end = nullptr;
  double amount = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') {
    throw DatabaseError(fmt::format("Valor inválido '{}' gravado em {}.", text, field.name));
  }
  return amount;
}

host::FieldValue ReadValue(const soci::row& row, std::size_t i, const host::FieldDef& field) {
  if (row.get_indicator(i) == soci::i_null)
    return std::monostate{};
  switch (field.type) {
    case host::FieldType::kText:
      return row.get<std::string>(i);
    case host::FieldType::kDate:
      return ReadDate(row, i, field);
    case host::FieldType::kFloat:
      return ReadAmount(row, i, field);
  }
  return std::monostate{};
}

}  // namespace

void BindAll(soci::statement& statement, std::vector<SqlValue>& values) {
  for (SqlValue& value : values)
    statement.exchange(soci::use(value.text, value.indicator));
}

long long Execute(soci::session& session, const std::string& sql, std::vector<SqlValue> params) {
  soci::statement statement(session);
  BindAll(statement, params);
  PrepareOnce(statement, sql);
  statement.execute(true);
  return statement.get_affected_rows();
}

long long QueryNumber(soci::session& session, const std::string& query,
                      std::vector<SqlValue> params) {
  long long number = 0;
  soci::statement statement(session);
  statement.exchange(soci::into(number));
  BindAll(statement, params);
  PrepareOnce(statement, query);
  statement.execute(true);
  return number;
}

host::Packet QueryPacket(soci::session& session, const std::string& query,
                         std::vector<SqlValue> params, std::vector<host::FieldDef> fields) {
  soci::row row;
  soci::statement statement(session);
  statement.exchange(soci::into(row));
  BindAll(statement, params);
  PrepareOnce(statement, query);
  statement.execute(false);
  return FetchPacket(statement, row, std::move(fields));
}

host::Packet FetchPacket(soci::statement& statement, const soci::row& row,
                         std::vector<host::FieldDef> fields) {
  host::Packet packet{std::move(fields), {}};
  while (statement.fetch()) {
    host::Row values;
    for (std::size_t i = 0; i < packet.fields.size(); ++i) {
      values.push_back(ReadValue(row, i, packet.fields[i]));
    }
    packet.rows.push_back(std::move(values));
  }
  return packet;
}

}  // namespace server
