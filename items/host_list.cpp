// SPDX-License-Identifier: MIT
#include "items/host_list.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

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

// How many of a walk's first entries listEntry keeps to compare the found one with.
constexpr std::int32_t ENTRIES_REMEMBERED = 1024;

}  // namespace

// An entry is a repeat exactly when it equals one before it, and then so is
// every entry after it (next() of a repeat leads where it led the first time),
// so the found entry alone tells whether the walk stayed among distinct ones.
ListWalk listEntry(const ItemInfoService& info, int itemType, ItemId owner, std::int32_t number, std::int32_t first) {
  const std::int32_t position = number >= first ? number - first : -1;
  std::array<ItemId, ENTRIES_REMEMBERED> earlier{};  // filled as walked, up to the found entry
  const ListWalk walk = walkList(info, itemType, owner, [&](ItemId it, std::int32_t index) {
    if (index < ENTRIES_REMEMBERED) earlier[static_cast<std::size_t>(index)] = it;
    return index == position;
  });
  if (walk.found == 0) return walk;
  const std::span<const ItemId> kept(earlier.data(), static_cast<std::size_t>(std::min(position, ENTRIES_REMEMBERED)));
  bool repeat = std::ranges::find(kept, walk.found) != kept.end();
  if (!repeat && position > ENTRIES_REMEMBERED) {
    // The entries between those kept and the found one, walked again.
    const ListWalk again = walkList(info, itemType, owner, [&](ItemId it, std::int32_t index) {
      return index >= ENTRIES_REMEMBERED && (it == walk.found || index == position);
    });
    repeat = again.found == 0 || again.index != position;
  }
  return repeat ? ListWalk{0, listLength(info, itemType, owner)} : walk;
}

}  // namespace kv
