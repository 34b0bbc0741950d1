// SPDX-License-Identifier: MIT
// The layout of the host's item identifiers: the top four bits are the item
// type plus one; an object's low 16 bits are its value; a bone carries a
// serial in bits 16..27 and its owner object's value in its low 16 bits.
#pragma once

#include "contract/host_api.h"

namespace kv {

inline constexpr ItemId ITEM_TYPE_MASK = 0xF0000000;
inline constexpr ItemId OBJECT_BITS = 0x10000000;
inline constexpr ItemId LIGHT_BITS = 0x20000000;
inline constexpr ItemId CAMERA_BITS = 0x30000000;
inline constexpr ItemId BONE_BITS = 0x40000000;
inline constexpr ItemId OWNER_MASK = 0x0000FFFF;

constexpr bool isBone(ItemId id) { return (id & ITEM_TYPE_MASK) == BONE_BITS; }
constexpr bool isCamera(ItemId id) { return (id & ITEM_TYPE_MASK) == CAMERA_BITS; }
// The owner object of a bone identifier.
constexpr ItemId boneOwner(ItemId bone) { return (bone & OWNER_MASK) | OBJECT_BITS; }

// The item type (IT_OBJECT .. IT_BONE) an identifier names, or -1.
constexpr int itemTypeOf(ItemId id) {
  switch (id & ITEM_TYPE_MASK) {
    case OBJECT_BITS:
      return IT_OBJECT;
    case LIGHT_BITS:
      return IT_LIGHT;
    case CAMERA_BITS:
      return IT_CAMERA;
    case BONE_BITS:
      return IT_BONE;
    default:
      return -1;
  }
}

}  // namespace kv
