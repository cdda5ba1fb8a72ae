#include "server/movement_copy.h"

#include <optional>

#include <fmt/format.h>

#include "server/sql_value.h"

namespace server {

namespace {

// Bytes handed to libpq at a time: large enough that the calls cost nothing, small
// enough that the buffer never grows with the packet.
constexpr std::size_t kChunkBytes = 256 * 1024;

std::string CopySql(const FieldMapping& mapping, std::string_view extra_column) {
  std::string columns;
  for (std::size_t i = 0; i < mapping.size(); ++i)
    columns += fmt::format("{}, ", mapping.column(i).name);
  return fmt::format("COPY {} ({}{}) FROM STDIN", mapping.table().name, columns, extra_column);
}

void AppendEscaped(std::string& line, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      default:
        line += c;
    }
  }
}

// Owns one result of libpq.
class PgResult {
 public:
  explicit PgResult(PGresult* result) : result_(result) {}
  ~PgResult() { PQclear(result_); }
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;
  ExecStatusType status() const { return PQresultStatus(result_); }
  PGresult* get() const { return result_; }

 private:
  PGresult* result_;
};

[[noreturn]] void ThrowError(PGconn* connection, const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* message = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
  throw soci::postgresql_soci_error(message && *message ? message : PQerrorMessage(connection),
                                    state ? state : "     ");
}

void Send(PGconn* connection, std::string& chunk) {
  if (PQputCopyData(connection, chunk.data(), static_cast<int>(chunk.size())) != 1)
    ThrowError(connection, nullptr);
  chunk.clear();
}

// Ends the copy and reads its outcome, consuming every result so that the
// connection is idle again whatever happened.
void Finish(PGconn* connection) {
  if (PQputCopyEnd(connection, nullptr) != 1)
    ThrowError(connection, nullptr);
  std::optional<std::string> message;
  std::string state;
  while (PGresult* raw = PQgetResult(connection)) {
    PgResult result(raw);
    if (result.status() != PGRES_COMMAND_OK && !message) {
      message = PQresultErrorMessage(raw);
      const char* code = PQresultErrorField(raw, PG_DIAG_SQLSTATE);
      state = code ? code : "     ";
    }
  }
  if (message)
    throw soci::postgresql_soci_error(*message, state.c_str());
}

}  // namespace

void AppendCopyValue(std::string& line, const host::FieldValue& value) {
  struct Visitor {
    std::string& line;
    void operator()(std::monostate) const { line += "\\N"; }
    void operator()(const std::string& text) const { AppendEscaped(line, text); }
    void operator()(const host::Date& date) const { line += date.ToIso(); }
    void operator()(double amount) const { line += CentsToText(*AmountToCents(amount)); }
  };
  std::visit(Visitor{line}, value);
}

void CopyRows(soci::session& session, const FieldMapping& mapping, const host::PackedRows& rows,
              std::string_view extra_column, const ExtraValue& extra) {
  PGconn* connection = static_cast<soci::postgresql_session_backend*>(session.get_backend())->conn_;
  {
    PgResult start(PQexec(connection, CopySql(mapping, extra_column).c_str()));
    if (start.status() != PGRES_COPY_IN)
      ThrowError(connection, start.get());
  }
  std::string chunk;
  chunk.reserve(kChunkBytes + 4096);
  try {
    for (const host::Row& row : rows) {
      for (const host::FieldValue& value : row) {
        AppendCopyValue(chunk, value);
        chunk += '\t';
      }
      AppendEscaped(chunk, extra(row));
      chunk += '\n';
      if (chunk.size() >= kChunkBytes)
        Send(connection, chunk);
    }
    if (!chunk.empty())
      Send(connection, chunk);
  } catch (...) {
    // The copy must end before the connection can take anything else.
    PQputCopyEnd(connection, "interrompido");
    while (PGresult* result = PQgetResult(connection))
      PQclear(result);
    throw;
  }
  Finish(connection);
}

}  // namespace server
