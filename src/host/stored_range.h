#ifndef EXTRATO_HOST_STORED_RANGE_H_
#define EXTRATO_HOST_STORED_RANGE_H_

// What the database can store: checked where a statement line is read, so that the
// error names its line, and again by the server before it writes.

#include "host/date.h"

namespace host {

// PostgreSQL has no year 0, and dates travel as four-digit years.
inline constexpr int kFirstStoredYear = 1;
inline constexpr int kLastStoredYear = 9999;

// Amounts are kept to the cent; beyond this a double no longer holds every cent.
inline constexpr long long kMaxCents = 999'999'999'999'999;

inline bool IsStorableDate(const Date& date) {
  return date.year() >= kFirstStoredYear && date.year() <= kLastStoredYear;
}

}  // namespace host

#endif  // EXTRATO_HOST_STORED_RANGE_H_
