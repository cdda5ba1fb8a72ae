// Values as the server binds them to SQL.
#ifndef EXTRATO_SERVER_SQL_VALUE_H_
#define EXTRATO_SERVER_SQL_VALUE_H_

#include <optional>
#include <string>

#include "host/record_set.h"
#include "host/soci.h"

namespace server {

// Every value is bound as text: dates as "YYYY-MM-DD", amounts as their decimal
// text to the cent ("-12.30"). Both databases convert such text to the column's
// type (SQLite by column affinity, PostgreSQL by the parameter's inferred type),
// so an amount is stored and compared as exactly the same cent in either.
struct SqlValue {
  std::string text;
  soci::indicator indicator = soci::i_ok;
};

// The amount rounded to the cent; nothing when it is not finite or beyond host::kMaxCents.
std::optional<long long> AmountToCents(double amount);
std::string CentsToText(long long cents);

SqlValue TextValue(std::string text);
// A double must be within range (see AmountToCents); callers check rows first.
SqlValue ToSqlValue(const host::FieldValue& value);

}  // namespace server

#endif  // EXTRATO_SERVER_SQL_VALUE_H_
