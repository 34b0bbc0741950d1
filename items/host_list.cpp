// SPDX-License-Identifier: MIT
#include "items/host_list.h"

#include <array>
#include <cstdint>

namespace kv {

// A lead `loopLength` entries ahead of a trail first meets it where the loop
// begins; the entries before that point are all distinct, as are the loop's.
std::int32_t distinctEntries(const ItemInfoService& info, int itemType, ItemId owner, std::uint32_t loopLength,
                             std::int32_t visited) {
  const ItemId first = info.first(itemType, owner);
  ItemId lead = first;
  for (std::uint32_t i = 0; i < loopLength; ++i) lead = info.next(lead);
  std::int32_t beforeLoop = 0;
  for (ItemId trail = first; trail != lead && beforeLoop < visited; ++beforeLoop) {
    trail = info.next(trail);
    lead = info.next(lead);
  }
  return beforeLoop + static_cast<std::int32_t>(loopLength);
}

namespace {

// The entries a walk has passed, by a 16-bit key of each identifier that folds
// its two halves together: entries differing in one half alone never share a
// key (the objects of a list, told apart by their low 16 bits; the bones of
// one owner, which share those). An entry whose key was seen is only perhaps
// one of them, and the list is walked again to tell.
class PassedEntries {
 public:
  void add(ItemId id) noexcept { bits_[key(id) / 64] |= bit(id); }
  bool mayHold(ItemId id) const noexcept { return (bits_[key(id) / 64] & bit(id)) != 0; }

 private:
  static std::uint32_t key(ItemId id) noexcept { return (id ^ (id >> 16)) & 0xFFFFu; }
  static std::uint64_t bit(ItemId id) noexcept { return std::uint64_t{1} << (key(id) % 64); }

  std::array<std::uint64_t, 0x10000 / 64> bits_{};
};

}  // namespace

// An entry is a repeat exactly when it equals one before it, and then so is
// every entry after it (next() of a repeat leads where it led the first time),
// so the found entry alone tells whether the walk stayed among distinct ones.
ListWalk listEntry(const ItemInfoService& info, int itemType, ItemId owner, std::int32_t number, std::int32_t first) {
  const std::int32_t position = number >= first ? number - first : -1;
  PassedEntries passed;
  const ListWalk walk = walkList(info, itemType, owner, [&](ItemId it, std::int32_t index) {
    if (index == position) return true;
    passed.add(it);
    return false;
  });
  if (walk.found == 0 || !passed.mayHold(walk.found)) return walk;
  const ListWalk again = walkList(info, itemType, owner, [&](ItemId it, std::int32_t index) {
    return it == walk.found || index == position;
  });
  const bool repeat = again.found == 0 || again.index != position;
  return repeat ? ListWalk{0, listLength(info, itemType, owner)} : walk;
}

}  // namespace kv
