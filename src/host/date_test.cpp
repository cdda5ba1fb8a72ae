#include "host/date.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(DateTest, IsoTextPadsEveryPartAndReadsBack) {
  struct Case {
    Date date;
    const char* iso;
  };
  for (const Case& c :
       {Case{Date(2024, 3, 1), "2024-03-01"}, Case{Date(1899, 12, 30), "1899-12-30"},
        Case{Date(9, 1, 5), "0009-01-05"}, Case{Date(2016, 11, 29), "2016-11-29"}}) {
    EXPECT_EQ(c.iso, c.date.ToIso());
    EXPECT_EQ(c.date, Date::FromIso(c.iso));
  }
  EXPECT_EQ("10000-01-01", Date(10000, 1, 1).ToIso());
}

}  // namespace
}  // namespace host
