#include "items/host_list.h"

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

}  // namespace kv
