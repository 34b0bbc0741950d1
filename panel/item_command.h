// Making an item the host's selection through its command interface.
#pragma once

#include <span>

#include "contract/host_api.h"

namespace kv {

// Eight upper-case hexadecimal digits, most significant first, and a terminating zero.
void formatIdHex(ItemId id, std::span<char, 9> out) noexcept;

// Runs "SelectItem XXXXXXXX"; does nothing without the host's command interface.
void selectItemCommand(ItemId id) noexcept;

}  // namespace kv
