#ifndef EXTRATO_APPS_COMMON_CONTINUITY_H_
#define EXTRATO_APPS_COMMON_CONTINUITY_H_

// Whether a statement follows on from the account's statement before it: its
// opening balance is that one's closing balance, and no day between them went
// without the statement that was due. A missing file shows here.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/common/server_call.h"
#include "host/date.h"
#include "importers/run_observer.h"

namespace apps {

struct DatedBalance {
  host::Date date;
  double amount = 0;
  std::string indicator;  // "D" or "C"
};

struct StatementEnds {
  std::string code;
  std::optional<DatedBalance> opening;
  std::optional<DatedBalance> closing;
};

struct Continuity {
  // None: the account has no statement before this one.
  std::optional<StatementEnds> previous;
  // False when both balances are known and differ.
  bool balance_follows = true;
  // The days between the two statements on which one was due.
  std::vector<host::Date> missing_days;
  std::vector<std::string> warnings;

  // {"previous": {"code", "closing": {"date", "amount", "indicator"}} | null,
  //  "balance_follows", "missing_days": [ISO dates]}
  nlohmann::json ToJson() const;
  // "saldo", "1 dia", "saldo; 3 dias": what does not follow on, for a listing.
  std::string Mark() const;
};

// How `current` follows `previous`. A statement is due on working days, and on
// every day when the statements' own dates fall on a Saturday or Sunday.
Continuity CompareWithPrevious(const StatementEnds& previous, const StatementEnds& current);

// The account's stored statement that opens last before `opening`, other than
// `code` (GetExtratosConta); none when there is none.
std::optional<StatementEnds> PreviousStatement(const ServerCall& call, const std::string& account,
                                               const std::string& code, const host::Date& opening);

// A balance the run read, as compared here.
std::optional<DatedBalance> Dated(const std::optional<importers::RunObserver::Balance>& balance);

// `current` against the account's statement before it, its warnings added to
// `warnings`; null when that cannot be told: no opening balance, or the server
// failed the read (the summary is not lost for it).
nlohmann::json ContinuityJson(const ServerCall& call, const std::string& account,
                              const StatementEnds& current, nlohmann::json& warnings);

// Each statement of a listing (GetExtratosConta's packet, oldest first) against the
// one listed before it: one Continuity a row, the first compared with nothing.
std::vector<Continuity> ListingContinuity(const nlohmann::json& packet);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_CONTINUITY_H_
