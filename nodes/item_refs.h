// SPDX-License-Identifier: MIT
// The item references a record keeps, each an identifier with its list number:
// an item node's item; a bone node's owner object, then its bone.
#pragma once

#include <array>
#include <cstddef>

#include "items/item_numbering.h"
#include "nodes/instance.h"

namespace kv {

template <InstanceRecord R>
inline constexpr std::size_t itemRefCount = R::family == Family::Item ? 1 : 2;

inline std::array<ItemRef, 1> itemRefs(ItemInfoInstance& r) { return {{{r.item, r.itemListNumber}}}; }
inline std::array<ItemRef, 2> itemRefs(BoneInfoInstance& r) {
  return {{{r.object, r.objectNumber}, {r.bone, r.boneNumber}}};
}

// Numbers each stored identifier afresh from the scene as it is now.
template <InstanceRecord R>
void renumberItems(const ItemInfoService* info, R& r) noexcept {
  for (const ItemRef& ref : itemRefs(r)) ref.number = itemNumber(info, ref.id);
}

}  // namespace kv
