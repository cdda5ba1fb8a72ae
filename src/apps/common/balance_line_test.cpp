#include "apps/common/balance_line.h"

#include <gtest/gtest.h>

namespace apps {
namespace {

using nlohmann::json;

const json kStatements = json::parse(R"({
  "fields": [["CDSEQUEXTR", "text", 10], ["DTSALDINIC", "date", 0], ["DTSALDFIN", "date", 0]],
  "rows": [["0000000001", "2024-03-01", "2024-03-05"], ["0000000002", "2024-03-06", "2024-03-08"],
           ["0000000003", "2024-03-20", "2024-03-31"], ["0000000004", "2024-03-31", "2024-04-02"]]})");

json Daily(const json& rows) {
  return {{"fields", json::parse(R"([["DTSALDO", "date", 0], ["CDSEQUEXTR", "text", 10],
                                      ["VRSALDO", "float", 0]])")},
          {"rows", rows}};
}

std::string Shown(const BalanceLine& line) {
  std::string text;
  for (const auto& segment : line.Segments()) {
    text += "[";
    for (const BalancePoint& point : segment)
      text += " " + point.date.ToIso().substr(5) + "=" + std::to_string(int(point.balance));
    text += " ]";
  }
  return text;
}

TEST(BalanceLineTest, DaysWithoutAStatementBreakTheLine) {
  BalanceLine line(Daily(json::parse(R"([
      ["2024-03-01", "0000000001", 140], ["2024-03-05", "0000000001", 120],
      ["2024-03-06", "0000000002", 120], ["2024-03-08", "0000000002", 90],
      ["2024-03-20", "0000000003", -10], ["2024-03-31", "0000000003", 5],
      ["2024-03-31", "0000000004", 7], ["2024-04-02", "0000000004", 9]])")),
                   kStatements);
  EXPECT_EQ(Shown(line), "[ 03-01=140 03-05=120 03-06=120 03-08=90 ][ 03-20=-10 03-31=7 04-02=9 ]")
      << "statements that meet join; a day two statements share ends on the later one";
  EXPECT_EQ(line.StatementOn(host::Date(2024, 3, 4))->code, "0000000001");
  EXPECT_EQ(line.StatementOn(host::Date(2024, 3, 31))->code, "0000000004");
  EXPECT_FALSE(line.StatementOn(host::Date(2024, 3, 10)));
}

TEST(BalanceLineTest, NoBalancesNoLine) {
  EXPECT_EQ(Shown(BalanceLine(Daily(json::array()), kStatements)), "");
}

}  // namespace
}  // namespace apps
