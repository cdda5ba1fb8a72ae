#include "layouts/itau_240.h"

#include <gtest/gtest.h>

#include "layouts/layouts.h"
#include "layouts/statement_writer.h"

namespace importers {
namespace {

TEST(Itau240Test, AccountAndCheckDigitAreFittedToTheMaskPlaces) {
  const Layout& itau = *FindLayout("itau-240");
  std::string line = writer::FixedLine(240).Put(59, 14, "000000000769 3").str();
  for (auto [mask, account] : {std::pair{"99999-9", "007693"}, std::pair{"9999999-9", "00007693"},
                               std::pair{"99-9", "693"}}) {
    EXPECT_EQ(account, Itau240Account(itau, line, mask)) << mask;
  }
}

}  // namespace
}  // namespace importers
