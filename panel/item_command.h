// SPDX-License-Identifier: MIT
// Making an item the host's selection through its command interface.
#pragma once

#include <span>

#include "contract/host_api.h"

namespace kv {

// Eight upper-case hexadecimal digits, most significant first, and a terminating zero.
void formatIdHex(ItemId id, std::span<char, 9> out) noexcept;

// Runs "SelectItem XXXXXXXX" through the command interface `lookup` finds;
// does nothing without one.
void selectItemCommand(GlobalLookup lookup, ItemId id) noexcept;

}  // namespace kv
