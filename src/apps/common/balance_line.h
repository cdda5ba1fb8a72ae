#ifndef EXTRATO_APPS_COMMON_BALANCE_LINE_H_
#define EXTRATO_APPS_COMMON_BALANCE_LINE_H_

// An account's balance over a period as a chart draws it: steps from one day's
// closing balance to the next, broken where no statement covers the days between.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/date.h"

namespace apps {

struct StatementSpan {
  std::string code;
  host::Date from;
  host::Date to;
};

struct BalancePoint {
  host::Date date;
  double balance = 0;
};

class BalanceLine {
 public:
  // `daily` is GetSaldosDiarios' packet, `statements` GetExtratosConta's.
  BalanceLine(const nlohmann::json& daily, const nlohmann::json& statements);

  // Runs of points without a gap, each drawn as steps: a balance holds until the
  // next day that has one.
  const std::vector<std::vector<BalancePoint>>& Segments() const { return segments_; }
  // The statement that covers the day (the newest when several do); nothing when none.
  std::optional<StatementSpan> StatementOn(const host::Date& date) const;

 private:
  bool Covered(const host::Date& from, const host::Date& to) const;

  std::vector<StatementSpan> statements_;
  std::vector<std::vector<BalancePoint>> segments_;
};

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_BALANCE_LINE_H_
