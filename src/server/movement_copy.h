// Streams rows into a PostgreSQL table with COPY, inside the caller's transaction.
#ifndef EXTRATO_SERVER_MOVEMENT_COPY_H_
#define EXTRATO_SERVER_MOVEMENT_COPY_H_

#include <functional>
#include <string>
#include <string_view>

#include "host/packed_row.h"
#include "host/soci.h"
#include "server/field_mapping.h"

namespace server {

// Appends the value as one column of COPY's text format: null as \N, and in a text
// the backslash, tab, newline and carriage return escaped.
void AppendCopyValue(std::string& line, const host::FieldValue& value);

// The text of a column that the rows do not hold, for each row.
using ExtraValue = std::function<const std::string&(const host::Row&)>;

// Copies every row into the mapping's table on the session's PostgreSQL connection:
// the columns as the mapping orders them, then `extra_column` with `extra`'s text.
// The rows must fit the table (see FieldMapping::CheckRow). Throws
// soci::postgresql_soci_error, with the database's SQLSTATE, when the database refuses
// a row; the transaction is then aborted.
void CopyRows(soci::session& session, const FieldMapping& mapping, const host::PackedRows& rows,
              std::string_view extra_column, const ExtraValue& extra);

}  // namespace server

#endif  // EXTRATO_SERVER_MOVEMENT_COPY_H_
