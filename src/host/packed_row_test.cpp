#include "host/packed_row.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(PackedRowTest, EveryKindOfValueComesBackAsItWas) {
  std::string long_text(300, 'h');  // its length takes two bytes
  Row row = {std::monostate{},
             std::string(),
             std::string("AÇÃO"),
             long_text,
             Date(2016, 7, 7),
             Date(1899, 12, 30),
             -7.05,
             0.1 + 0.2};
  PackedRow packed = PackRow(row);
  EXPECT_EQ(row, UnpackRow(packed));
  for (std::size_t i = 0; i < row.size(); ++i)
    EXPECT_EQ(row[i], PackedField(packed, i)) << "field " << i;
  EXPECT_EQ(FieldValue(), PackedField(packed, row.size()));
  EXPECT_EQ(Row{}, UnpackRow(PackRow({})));
}

}  // namespace
}  // namespace host
