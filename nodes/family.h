// SPDX-License-Identifier: MIT
// The two node families, items (objects, lights, cameras) and bones. Every
// kind of node exists once in each, under the family's names.
#pragma once

#include <array>

#include "contract/menu_groups.h"

namespace kv {

enum class Family { Item, Bone };

struct FamilyDef {
  Family family;
  const char* serverPrefix;  // a node's server name is this, then its kind's suffix
  const char* userPrefix;    // a node's user name is this, a space, then its kind's name
  const char* menuGroup;
};

// In the order of the server table.
inline constexpr std::array<FamilyDef, 2> families{{
    {Family::Item, "KvI_ITEM", "Item", ITEM_MENU_GROUP},
    {Family::Bone, "KvI_BONE", "Bone", BONE_MENU_GROUP},
}};

}  // namespace kv
