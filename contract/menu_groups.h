// SPDX-License-Identifier: MIT
// The node editor's menu groups of the two node families: what a host shows of
// the servers (their menu-group tag), so the module's node table and a host
// that tells the families apart read them from here.
#pragma once

namespace kv {

inline constexpr const char* ITEM_MENU_GROUP = "ZiZuze/Info/Item";
inline constexpr const char* BONE_MENU_GROUP = "ZiZuze/Info/Bone";

}  // namespace kv
