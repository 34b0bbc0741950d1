// SPDX-License-Identifier: MIT
// Walks over one of the host's item lists (first(type, owner), then next until
// 0) that end even when the list loops back on itself.
#pragma once

#include <cstdint>

#include "contract/host_api.h"
#include "items/link_loop.h"

namespace kv {

struct ListWalk {
  ItemId found = 0;        // the entry the walk stopped at, or 0
  std::int32_t index = 0;  // its place from 0; when none, the number of distinct entries
};

// The number of distinct entries of a list seen to loop with `loopLength` items
// after `visited` entries: those before the loop, found by a second walk, and
// the loop's own. A host whose second answers differ still gets a bounded walk.
std::int32_t distinctEntries(const ItemInfoService& info, int itemType, ItemId owner, std::uint32_t loopLength,
                             std::int32_t visited);

// Visits the entries in host order until `stop(entry, index)` returns true. A
// looping list ends at the first revisit seen; only then are host calls made
// beyond the walk itself, to count the distinct entries. Entries past those of
// a looping list may reach `stop` as repeats before the loop is seen.
template <class Stop>
ListWalk walkList(const ItemInfoService& info, int itemType, ItemId owner, Stop stop) {
  ItemId it = info.first(itemType, owner);
  LinkLoopWatch loop(it);
  std::int32_t index = 0;
  for (; it != 0; it = loop.follow(info.next(it)), ++index) {
    if (stop(it, index)) return {it, index};
  }
  return {0, loop.looped() ? distinctEntries(info, itemType, owner, loop.loopLength(), index) : index};
}

// The number of distinct entries of the list.
inline std::int32_t listLength(const ItemInfoService& info, int itemType, ItemId owner) {
  return walkList(info, itemType, owner, [](ItemId, std::int32_t) { return false; }).index;
}

// The entry numbered `number` among the list's distinct entries, the first of
// them numbered `first`; when there is none, 0 with the number of distinct
// entries. Reaching the number inside a loop not seen yet finds a repeat there,
// and the list is counted again: a list that ends in 0 costs no host call
// beyond the walk (unless two of its entries' identifiers differ in both
// halves and still fold to one key, when it is walked once more).
ListWalk listEntry(const ItemInfoService& info, int itemType, ItemId owner, std::int32_t number, std::int32_t first);

}  // namespace kv
