#ifndef EXTRATO_IMPORTERS_HELD_HEADERS_H_
#define EXTRATO_IMPORTERS_HELD_HEADERS_H_

// The statement headers of a run, held for its submission: while it lives, a post of
// the header record set keeps its changes here instead of sending them at once, so
// that the headers are stored with the movements, in one transaction, or not at all.
// The run reads its own held headers as the server would list them once stored.

#include <optional>
#include <string>

#include "host/date.h"
#include "host/net_connection.h"
#include "host/record_set.h"

namespace importers {

class HeldHeaders {
 public:
  explicit HeldHeaders(host::RecordSet& header);
  ~HeldHeaders();
  HeldHeaders(const HeldHeaders&) = delete;
  HeldHeaders& operator=(const HeldHeaders&) = delete;

  // Every change posted, in order, as a change set; null when there is none.
  host::Variant Changes() const;

  // The header this run inserted for the account with that opening date, as it
  // stands now: the lowest code, as the server lists them. None when there is none.
  std::optional<host::Packet> Inserted(const std::string& account, const host::Date& opening) const;
  // The highest statement code this run inserted for the account; 0 when none.
  long long HighestCode(const std::string& account) const;

 private:
  void Keep(host::RecordSet& header);
  std::string Text(const host::Row& row, std::string_view field) const;
  const host::FieldValue& Value(const host::Row& row, std::string_view field) const;

  host::RecordSet& header_;
  host::RecordSet::Event after_post_;
  host::ChangeSet changes_;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_HELD_HEADERS_H_
