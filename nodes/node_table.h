// The sixteen nodes, one row each: the single source from which the server
// table, its tag lists and the activation entry points are derived.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "contract/menu_groups.h"

namespace kv {

enum class Family { Item, Bone };

// Which node of a family an instance is.
enum NodeKind : std::int32_t {
  NK_INFO = 0,
  NK_POS = 1,
  NK_ROT = 2,
  NK_SCL = 3,
  NK_WPOS = 4,
  NK_WROT = 5,
  NK_MXW = 6,
  NK_MX = 7,
};

struct NodeDef {
  Family family;
  NodeKind kind;
  const char* serverName;
  const char* userName;
  const char* menuGroup;
};

inline constexpr std::array<NodeDef, 16> nodeTable{{
    {Family::Item, NK_INFO, "KvI_ITEM", "Item Info", ITEM_MENU_GROUP},
    {Family::Item, NK_POS, "KvI_ITEMP", "Item Pos", ITEM_MENU_GROUP},
    {Family::Item, NK_ROT, "KvI_ITEMR", "Item Rot", ITEM_MENU_GROUP},
    {Family::Item, NK_SCL, "KvI_ITEMS", "Item Scl", ITEM_MENU_GROUP},
    {Family::Item, NK_WPOS, "KvI_ITEMWP", "Item WPos", ITEM_MENU_GROUP},
    {Family::Item, NK_WROT, "KvI_ITEMWR", "Item WRot", ITEM_MENU_GROUP},
    {Family::Item, NK_MXW, "KvI_ITEMMW", "Item MxW", ITEM_MENU_GROUP},
    {Family::Item, NK_MX, "KvI_ITEMMX", "Item Mx", ITEM_MENU_GROUP},
    {Family::Bone, NK_INFO, "KvI_BONE", "Bone Info", BONE_MENU_GROUP},
    {Family::Bone, NK_POS, "KvI_BONEP", "Bone Pos", BONE_MENU_GROUP},
    {Family::Bone, NK_ROT, "KvI_BONER", "Bone Rot", BONE_MENU_GROUP},
    {Family::Bone, NK_SCL, "KvI_BONES", "Bone Scl", BONE_MENU_GROUP},
    {Family::Bone, NK_WPOS, "KvI_BONEWP", "Bone WPos", BONE_MENU_GROUP},
    {Family::Bone, NK_WROT, "KvI_BONEWR", "Bone WRot", BONE_MENU_GROUP},
    {Family::Bone, NK_MXW, "KvI_BONEMW", "Bone MxW", BONE_MENU_GROUP},
    {Family::Bone, NK_MX, "KvI_BONEMX", "Bone Mx", BONE_MENU_GROUP},
}};

}  // namespace kv
