#include "host/key_index.h"

#include <utility>

namespace host {

void KeyIndex::Add(std::size_t hash, std::size_t row) {
  if (4 * (count_ + 1) > 3 * slots_.size())
    Grow();
  Place({static_cast<std::uint32_t>(row + 1), static_cast<std::uint32_t>(hash)});
  ++count_;
}

void KeyIndex::ForEachCandidate(std::size_t hash,
                                const std::function<void(std::size_t)>& visit) const {
  if (slots_.empty())
    return;
  auto wanted = static_cast<std::uint32_t>(hash);
  std::size_t mask = slots_.size() - 1;
  for (std::size_t at = wanted & mask; slots_[at].row_after != 0; at = (at + 1) & mask) {
    if (slots_[at].hash == wanted)
      visit(slots_[at].row_after - 1);
  }
}

void KeyIndex::Place(Slot slot) {
  std::size_t mask = slots_.size() - 1;
  std::size_t at = slot.hash & mask;
  while (slots_[at].row_after != 0)
    at = (at + 1) & mask;
  slots_[at] = slot;
}

void KeyIndex::Grow() {
  std::vector<Slot> old =
      std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(16, 2 * slots_.size())));
  for (const Slot& slot : old) {
    if (slot.row_after != 0)
      Place(slot);
  }
}

}  // namespace host
