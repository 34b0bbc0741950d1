// Item list numbers as the panel's pop-ups show them (objects, then lights,
// then cameras, counted from 1; a bone among its owner's bones), and the
// following of the host's item-identifier changes.
#pragma once

#include <cstdint>
#include <span>

#include "contract/host_api.h"
#include "contract/item_ids.h"

namespace kv {

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
// old = 0) and renumbers it; returns how many references it replaced.
int remapItemIds(std::span<const ItemRef> refs, const ItemId* changes);

}  // namespace kv
