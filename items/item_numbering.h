// SPDX-License-Identifier: MIT
// Item list numbers as the panel's pop-ups show them (objects, then lights,
// then cameras, counted from 1; a bone among its owner's bones), and the
// following of the host's item-identifier changes.
#pragma once

#include <cstdint>
#include <span>

#include "contract/host_api.h"
#include "contract/item_ids.h"

namespace kv {

// `info` may be null: without the item-info service there are no lists, and
// every list number and every item found by number is 0.

// 0 for none, or for an item not in its list.
std::int32_t itemNumber(const ItemInfoService* info, ItemId id);
// owner 0: the n-th entry of the item list; else the n-th bone of `owner`. 0 when none.
ItemId itemByNumber(const ItemInfoService* info, std::int32_t n, ItemId owner);

// A stored reference: an identifier with its list number beside it.
struct ItemRef {
  ItemId& id;
  std::int32_t& number;
};

// Replaces each reference the change list names (pairs of old, new, ended by
// old = 0) and renumbers it; returns how many references it replaced.
int remapItemIds(const ItemInfoService* info, std::span<const ItemRef> refs, const ItemId* changes);

}  // namespace kv
