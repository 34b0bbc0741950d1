// SPDX-License-Identifier: MIT
// The pop-up lists of the panels. Entry 0 of each is "(none)"; entry n is the
// n-th item of the list, so entries line up with the list numbers.
#pragma once

#include <cstdint>

namespace kv {

// Count functions: the number of entries, "(none)" included. Name functions:
// the text of one entry, valid until the same name function is called again.
// The item and object lists receive the item-info service; the bone list the
// address of the instance's owner object.
int itemListCount(void* itemInfo) noexcept;
const char* itemListName(void* itemInfo, int index) noexcept;
int objectListCount(void* itemInfo) noexcept;
const char* objectListName(void* itemInfo, int index) noexcept;
int boneListCount(void* owner) noexcept;
const char* boneListName(void* owner, int index) noexcept;

// The colour code shown for an item without a colour of its own.
inline constexpr std::uint32_t COLOR_CODE_DEFAULT = 0x1000000;

// The colour code of an entry, from the item colour the host reports.
std::uint32_t iconColorCode(std::uint32_t itemColor) noexcept;

}  // namespace kv
