#ifndef EXTRATO_HOST_DATE_H_
#define EXTRATO_HOST_DATE_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// A calendar date without a time, as statements and the server carry them.
class Date {
 public:
  Date() = default;
  Date(int year, int month, int day);
  explicit Date(std::chrono::year_month_day ymd) : ymd_(ymd) {}

  // Builds a date only when the three parts name a real day.
  static std::optional<Date> FromParts(int year, int month, int day);
  // Reads "YYYY-MM-DD"; anything else gives nothing.
  static std::optional<Date> FromIso(std::string_view text);

  int year() const { return static_cast<int>(ymd_.year()); }
  int month() const { return static_cast<int>(static_cast<unsigned>(ymd_.month())); }
  int day() const { return static_cast<int>(static_cast<unsigned>(ymd_.day())); }
  std::chrono::year_month_day ymd() const { return ymd_; }

  std::string ToIso() const;

  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date& a, const Date& b) { return a.ymd_ <=> b.ymd_; }

 private:
  std::chrono::year_month_day ymd_{std::chrono::year{1899}, std::chrono::December,
                                   std::chrono::day{30}};
};

}  // namespace host

#endif  // EXTRATO_HOST_DATE_H_
