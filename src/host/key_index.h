// Row numbers by the hash of their search key, in one open-addressed table: a few
// words a row, where a node-based map costs five. A hit is only a candidate; the
// caller confirms it on the row itself.
#ifndef EXTRATO_HOST_KEY_INDEX_H_
#define EXTRATO_HOST_KEY_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace host {

class KeyIndex {
 public:
  void Add(std::size_t hash, std::size_t row);
  // Calls `visit` with every row added with a hash equal to `hash` in its low 32 bits.
  void ForEachCandidate(std::size_t hash, const std::function<void(std::size_t)>& visit) const;

 private:
  struct Slot {
    std::uint32_t row_after = 0;  // the row plus one; 0 for an empty slot
    std::uint32_t hash = 0;
  };
  void Place(Slot slot);
  void Grow();

  std::vector<Slot> slots_;  // a power of two, never more than three quarters full
  std::size_t count_ = 0;
};

}  // namespace host

#endif  // EXTRATO_HOST_KEY_INDEX_H_
