#include "apps/common/continuity.h"

#include <gtest/gtest.h>

namespace apps {
namespace {

using Days = std::vector<std::string>;

// "2024-01-31 900.00 C"-like ends; an empty date leaves the balance out.
std::optional<DatedBalance> At(const char* iso, double amount, const char* indicator = "C") {
  if (*iso == '\0')
    return std::nullopt;
  return DatedBalance{*host::Date::FromIso(iso), amount, indicator};
}

Days Missing(const Continuity& continuity) {
  Days days;
  for (const host::Date& day : continuity.missing_days)
    days.push_back(day.ToIso());
  return days;
}

TEST(ContinuityTest, OpeningAgainstThePreviousClosing) {
  struct Case {
    const char* name;
    StatementEnds previous;
    StatementEnds current;
    bool balance_follows;
    Days missing;
  } cases[] = {
      // 2024-01-31 is a Wednesday.
      {"the next day, same balance",
       {"1", At("2024-01-30", 1), At("2024-01-31", 900)},
       {"2", At("2024-02-01", 900), At("2024-02-01", 950)},
       true,
       {}},
      {"opening dated the previous closing day",
       {"1", At("2024-01-30", 1), At("2024-01-31", 900)},
       {"2", At("2024-01-31", 900), At("2024-02-01", 950)},
       true,
       {}},
      {"another balance",
       {"1", At("2024-01-30", 1), At("2024-01-31", 900)},
       {"2", At("2024-02-01", 1000), At("2024-02-01", 950)},
       false,
       {}},
      {"same amount, the other sign",
       {"1", At("2024-01-30", 1), At("2024-01-31", 900, "D")},
       {"2", At("2024-02-01", 900), At("2024-02-01", 950)},
       false,
       {}},
      {"a working day without a statement",
       {"1", At("2024-01-30", 1), At("2024-01-31", 900)},
       {"2", At("2024-02-02", 900), At("2024-02-02", 950)},
       true,
       {"2024-02-01"}},
      // Friday 2024-02-02, then Monday 2024-02-05.
      {"a weekend between",
       {"1", At("2024-02-01", 1), At("2024-02-02", 900)},
       {"2", At("2024-02-05", 900), At("2024-02-05", 950)},
       true,
       {}},
      // Statements dated on a Saturday say the bank writes one every day.
      {"a bank that works on Saturdays",
       {"1", At("2024-02-02", 1), At("2024-02-03", 900)},
       {"2", At("2024-02-06", 900), At("2024-02-06", 950)},
       true,
       {"2024-02-04", "2024-02-05"}},
      {"a previous statement without a closing balance",
       {"1", At("2024-01-31", 1), At("", 0)},
       {"2", At("2024-02-02", 5), At("", 0)},
       true,
       {"2024-02-01"}},
      // Files that overlap tell nothing of each other's ends.
      {"statements that overlap",
       {"1", At("2024-01-29", 1), At("2024-02-02", 900)},
       {"2", At("2024-02-01", 5), At("2024-02-02", 950)},
       true,
       {}},
  };
  for (const Case& c : cases) {
    Continuity continuity = CompareWithPrevious(c.previous, c.current);
    EXPECT_EQ(c.balance_follows, continuity.balance_follows) << c.name;
    EXPECT_EQ(c.missing, Missing(continuity)) << c.name;
    EXPECT_EQ((c.balance_follows ? 0u : 1u) + (c.missing.empty() ? 0u : 1u),
              continuity.warnings.size())
        << c.name;
  }
}

TEST(ContinuityTest, WarningsNameBothFiguresAndDates) {
  Continuity continuity = CompareWithPrevious({"1", At("2024-01-30", 1), At("2024-01-31", 900)},
                                              {"2", At("2024-02-03", 1000), At("2024-02-03", 1)});
  ASSERT_EQ(2u, continuity.warnings.size());
  EXPECT_EQ(
      "Saldo inicial 1.000,00 C em 03/02 difere do saldo final 900,00 C do extrato anterior, em "
      "31/01: falta algum arquivo?",
      continuity.warnings[0]);
  EXPECT_EQ(
      "Sem extrato em 01/02, 02/02, entre o extrato anterior, até 31/01, e este, de 03/02: falta "
      "algum arquivo?",
      continuity.warnings[1]);
  // A long gap is told as a range; a previous year is named.
  continuity = CompareWithPrevious({"1", At("2023-12-01", 1), At("2023-12-01", 1)},
                                   {"2", At("2024-01-10", 1), At("", 0)});
  ASSERT_EQ(1u, continuity.warnings.size());
  EXPECT_EQ(
      "Sem extrato em 27 dias, de 04/12/2023 a 09/01, entre o extrato anterior, até 01/12/2023, "
      "e este, de 10/01: falta algum arquivo?",
      continuity.warnings[0]);
}

// A GetExtratosConta packet: CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, IDEXTRINI,
// VRSALDFIM, IDEXTRFIM.
nlohmann::json Listing(const std::vector<nlohmann::json>& rows) {
  return {{"fields", nlohmann::json::array()}, {"rows", rows}};
}

TEST(ContinuityTest, PreviousStatementIsTheLastOneOpenedBefore) {
  std::vector<nlohmann::json> asked;
  auto call = [&](const std::string& method, const nlohmann::json& params) {
    EXPECT_EQ("GetExtratosConta", method);
    asked.push_back(params);
    // Nothing in the recent days: the whole history is asked for.
    if (params[1] != "1900-01-01")
      return Listing({});
    return Listing({{"0000000001", "2023-11-01", "2023-11-02", 1.0, "C", 2.0, "C"},
                    {"0000000002", "2023-12-01", "2023-12-02", 2.0, "C", 3.0, "D"},
                    {"0000000009", "2023-12-05", nullptr, 3.0, "C", nullptr, nullptr}});
  };
  auto previous = PreviousStatement(call, "001", "0000000009", *host::Date::FromIso("2024-03-01"));
  ASSERT_TRUE(previous);
  EXPECT_EQ("0000000002", previous->code);
  EXPECT_EQ(3.0, previous->closing->amount);
  EXPECT_EQ("D", previous->closing->indicator);
  ASSERT_EQ(2u, asked.size());
  EXPECT_EQ(nlohmann::json::array({"001", "2024-01-16", "2024-02-29"}), asked[0]);
}

TEST(ContinuityTest, ListingMarksEachStatementAgainstTheOneBefore) {
  std::vector<Continuity> listed =
      ListingContinuity(Listing({{"1", "2024-01-30", "2024-01-31", 1.0, "C", 900.0, "C"},
                                 {"2", "2024-02-01", "2024-02-01", 900.0, "C", 950.0, "C"},
                                 {"3", "2024-02-05", "2024-02-05", 10.0, "C", 20.0, "C"}}));
  ASSERT_EQ(3u, listed.size());
  EXPECT_TRUE(listed[0].warnings.empty());
  EXPECT_TRUE(listed[1].warnings.empty());
  EXPECT_FALSE(listed[2].balance_follows);
  EXPECT_EQ(Days{"2024-02-02"}, Missing(listed[2]));
}

}  // namespace
}  // namespace apps
