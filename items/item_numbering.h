// Item list numbers as the panel's pop-ups show them (objects, then lights,
// then cameras, counted from 1; a bone among its owner's bones), and the
// following of the host's item-identifier changes.
#pragma once

#include <cstdint>
#include <span>

#include "module/host_api.h"

namespace kv {

inline constexpr std::uint32_t ITEM_TYPE_MASK = 0xF0000000;
inline constexpr std::uint32_t OBJECT_BITS = 0x10000000;
inline constexpr std::uint32_t LIGHT_BITS = 0x20000000;
inline constexpr std::uint32_t CAMERA_BITS = 0x30000000;
inline constexpr std::uint32_t BONE_BITS = 0x40000000;

constexpr bool isBone(ItemId id) { return (id & ITEM_TYPE_MASK) == BONE_BITS; }
constexpr bool isCamera(ItemId id) { return (id & ITEM_TYPE_MASK) == CAMERA_BITS; }
constexpr ItemId ownerOfBone(ItemId bone) { return (bone & 0xFFFF) | OBJECT_BITS; }

// 0 for none, for an item not in its list, or without the item-info service.
std::int32_t itemNumber(ItemId id);
// owner 0: the n-th entry of the item list; else the n-th bone of `owner`. 0 when none.
ItemId itemByNumber(std::int32_t n, ItemId owner);

// A stored reference: an identifier with its list number beside it.
struct ItemRef {
  ItemId& id;
  std::int32_t& number;
};

// Replaces each reference the change list names (pairs of old, new, ended by
// old = 0), renumbers it and refreshes `panel` (if any) once per replacement.
void remapItemIds(std::span<const ItemRef> refs, PanelHandle panel, const ItemId* changes);

}  // namespace kv
