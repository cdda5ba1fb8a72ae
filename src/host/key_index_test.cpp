#include "host/key_index.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace host {
namespace {

std::vector<std::size_t> Candidates(const KeyIndex& index, std::size_t hash) {
  std::vector<std::size_t> rows;
  index.ForEachCandidate(hash, [&rows](std::size_t row) { rows.push_back(row); });
  std::ranges::sort(rows);
  return rows;
}

// Hashes that share their table slot, or differ only above 32 bits, across many
// growths of the table: every row comes back under its own hash, none under another.
TEST(KeyIndexTest, EveryRowIsACandidateForItsHashAlone) {
  KeyIndex index;
  EXPECT_TRUE(Candidates(index, 7).empty());
  constexpr std::size_t kRows = 100'000;
  for (std::size_t row = 0; row < kRows; ++row)
    index.Add(row % 1000 * 1024, row);  // the same low bits: one long probe run each
  index.Add(std::size_t{1} << 40, kRows);
  for (std::size_t hash : {0, 1024, 999 * 1024}) {
    std::vector<std::size_t> rows = Candidates(index, hash);
    ASSERT_EQ(kRows / 1000 + (hash == 0 ? 1 : 0), rows.size()) << hash;
    for (std::size_t row : rows)
      EXPECT_TRUE(row == kRows || row % 1000 * 1024 == hash) << row;
  }
  EXPECT_TRUE(Candidates(index, 1000 * 1024).empty());
  EXPECT_TRUE(Candidates(index, 5).empty());
}

}  // namespace
}  // namespace host
