// SPDX-License-Identifier: MIT
// Turning a panel's list numbers back into items.
#pragma once

#include <cstdint>

#include "items/item_numbering.h"

namespace kv {

// A bone is only ever looked up among its owner's bones: without an owner there is none.
inline ItemId boneByNumber(const ItemInfoService* info, std::int32_t n, ItemId owner) noexcept {
  return owner != 0 ? itemByNumber(info, n, owner) : 0;
}

}  // namespace kv
