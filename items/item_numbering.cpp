// SPDX-License-Identifier: MIT
#include "items/item_numbering.h"

#include "items/host_list.h"

namespace kv {
namespace {

std::int32_t countOf(const ItemInfoService& info, int type) { return listLength(info, type, 0); }

// The number of `id` in one host list whose first entry is numbered `start`; 0 if absent.
std::int32_t numberIn(const ItemInfoService& info, int type, ItemId owner, ItemId id, std::int32_t start) {
  const ListWalk walk = walkList(info, type, owner, [id](ItemId it, std::int32_t) { return it == id; });
  return walk.found != 0 ? start + walk.index : 0;
}

// The entry numbered `n` in one host list whose first entry is numbered `count`;
// on a miss `count` is left at the number after the list.
ItemId entryIn(const ItemInfoService& info, int type, ItemId owner, std::int32_t n, std::int32_t& count) {
  const ListWalk walk = listEntry(info, type, owner, n, count);
  if (walk.found == 0) count += walk.index;
  return walk.found;
}

}  // namespace

std::int32_t itemNumber(const ItemInfoService* info, ItemId id) {
  if (id == 0 || info == nullptr) return 0;
  switch (id & ITEM_TYPE_MASK) {
    case OBJECT_BITS:
      return numberIn(*info, IT_OBJECT, 0, id, 1);
    case BONE_BITS:
      return numberIn(*info, IT_BONE, boneOwner(id), id, 1);
    case LIGHT_BITS:
      return numberIn(*info, IT_LIGHT, 0, id, countOf(*info, IT_OBJECT) + 1);
    default: {  // cameras; an id of any other type is never found among them
      const std::int32_t objects = countOf(*info, IT_OBJECT);  // the host walks its lists in list order
      return numberIn(*info, IT_CAMERA, 0, id, objects + countOf(*info, IT_LIGHT) + 1);
    }
  }
}

ItemId itemByNumber(const ItemInfoService* info, std::int32_t n, ItemId owner) {
  if (n == 0 || info == nullptr) return 0;
  std::int32_t count = 1;
  if (owner != 0) return entryIn(*info, IT_BONE, owner, n, count);
  for (int type : {IT_OBJECT, IT_LIGHT, IT_CAMERA}) {
    if (ItemId found = entryIn(*info, type, 0, n, count)) return found;
  }
  return 0;
}

int remapItemIds(const ItemInfoService* info, std::span<const ItemRef> refs, const ItemId* changes) {
  int replaced = 0;
  if (changes == nullptr || changes[0] == 0) return replaced;
  for (const ItemRef& ref : refs) {
    if (ref.id == 0) continue;
    for (const ItemId* pair = changes; pair[0] != 0; pair += 2) {
      if (pair[0] != ref.id) continue;
      ref.id = pair[1];
      ref.number = itemNumber(info, ref.id);
      ++replaced;
      break;
    }
  }
  return replaced;
}

}  // namespace kv
