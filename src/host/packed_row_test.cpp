#include "host/packed_row.h"

#include <gtest/gtest.h>

namespace host {
namespace {

TEST(PackedRowTest, EveryKindOfValueComesBackAsItWas) {
  std::string long_text(300, 'h');  // its length takes two bytes
  Row row = {std::monostate{}, std::string(), std::string("AÇÃO"), long_text,
             // digits keep their leading zeros and width, up to the most a number holds
             std::string("0"), std::string("0000000000"), std::string("00000000000000012345"),
             std::string("9999999999999999999"), std::string("18446744073709551616"),
             std::string("12a"), std::string("-1"), std::string(" 42"), Date(2016, 7, 7),
             Date(1899, 12, 30), -7.05, 0.1 + 0.2};
  PackedRow packed = PackRow(row);
  EXPECT_EQ(row, UnpackRow(packed));
  for (std::size_t i = 0; i < row.size(); ++i)
    EXPECT_EQ(row[i], PackedField(packed, i)) << "field " << i;
  EXPECT_EQ(FieldValue(), PackedField(packed, row.size()));
  // Into a row that held other values, of other kinds and lengths: nothing of them stays.
  Row reused(row.rbegin(), row.rend());
  reused.front() = std::string(500, 'x');
  UnpackRow(packed, reused);
  EXPECT_EQ(row, reused);
  EXPECT_EQ(Row{}, UnpackRow(PackRow({})));
  // A zero-padded document is kept in a quarter of its characters.
  EXPECT_LE(PackRow({std::string("00000000000000012345")}).size(), 6u);
}

// Enough rows to fill several blocks, one of them larger than a block by itself.
TEST(PackedRowTest, ManyRowsComeBackInOrderAcrossBlocks) {
  Packet packet{{{"N", FieldType::kText, 0}, {"V", FieldType::kFloat, 0}}, {}};
  for (int i = 0; i < 60000; ++i)
    packet.rows.push_back({std::to_string(i) + std::string(i % 50, 'x'), i * 0.25});
  packet.rows.insert(packet.rows.begin() + 30000, Row{std::string(3 << 20, 'g'), 1.0});
  Packet unpacked = Unpack(Pack(packet));
  EXPECT_EQ(packet.rows, unpacked.rows);
  EXPECT_EQ(packet.fields.size(), unpacked.fields.size());
}

}  // namespace
}  // namespace host
