// SPDX-License-Identifier: MIT
#include "panel/popups.h"

#include <array>
#include <cstdio>
#include <span>

#include "items/host_list.h"
#include "items/host_services.h"
#include "panel/panel_access.h"

namespace kv {
namespace {

// A run of one item type within a list, with the icon its entries show.
struct ListSection {
  int itemType;
  std::uint32_t icon;
};

constexpr ListSection OBJECTS{IT_OBJECT, 0xA0};
constexpr ListSection BONES{IT_BONE, 0xA1};
constexpr ListSection LIGHTS{IT_LIGHT, 0xA2};
constexpr ListSection CAMERAS{IT_CAMERA, 0xA3};

constexpr ListSection ITEM_LIST[] = {OBJECTS, LIGHTS, CAMERAS};
constexpr ListSection OBJECT_LIST[] = {OBJECTS};
constexpr ListSection BONE_LIST[] = {BONES};

struct PopupList {
  const ItemInfoService* info;  // null: the list is empty
  std::span<const ListSection> sections;
  ItemId owner;  // of the bones; 0 otherwise
};

struct ListEntry {
  ItemId item = 0;
  std::uint32_t icon = 0;
};

constexpr std::size_t ENTRY_TEXT_SIZE = 64;
using EntryText = std::array<char, ENTRY_TEXT_SIZE>;

// One buffer per name function, as the host keeps a returned text only until
// it asks the same function again.
EntryText itemEntryText;
EntryText objectEntryText;
EntryText boneEntryText;

int entryCount(const PopupList& list) noexcept {
  int count = 1;  // "(none)"
  if (list.info == nullptr) return count;
  for (const ListSection& section : list.sections) count += listLength(*list.info, section.itemType, list.owner);
  return count;
}

// The entry at `index` (from 1), or none past the end.
ListEntry entryAt(const PopupList& list, int index) noexcept {
  if (list.info == nullptr) return {};
  int start = 1;
  for (const ListSection& section : list.sections) {
    const ListWalk walk = listEntry(*list.info, section.itemType, list.owner, index, start);
    if (walk.found != 0) return {walk.found, section.icon};
    start += walk.index;
  }
  return {};
}

// The byte 0x03 and "(i:icon,colour)" ask the host's panel service to draw an
// icon in the item's colour before the name.
const char* entryText(const PopupList& list, const InterfaceInfo* ui, int index, EntryText& text) noexcept {
  const ListEntry entry = entryAt(list, index);
  if (entry.item == 0) return "";
  const std::uint32_t color =
      ui != nullptr && ui->itemColor != nullptr ? iconColorCode(ui->itemColor(entry.item)) : COLOR_CODE_DEFAULT;
  const char* name = list.info->name(entry.item);
  std::snprintf(text.data(), text.size(), "\x03(i:%u,%u) %s", entry.icon, color, name != nullptr ? name : "");
  text.back() = '\0';
  return text.data();
}

const ItemInfoService* itemInfoOf(void* userData) noexcept { return static_cast<const ItemInfoService*>(userData); }

ItemId ownerOf(void* userData) noexcept { return userData != nullptr ? *static_cast<const ItemId*>(userData) : 0; }

// Bones of no object: nothing to list.
PopupList boneList(const ItemInfoService* info, ItemId owner) noexcept {
  return {owner != 0 ? info : nullptr, BONE_LIST, owner};
}

}  // namespace

// A colour with the code bit set is passed on as it is; the host's palette
// colours 0 to 14 map onto the panel service's codes from 152.
std::uint32_t iconColorCode(std::uint32_t itemColor) noexcept {
  constexpr std::uint32_t CODE_BIT = 0x1000000;
  constexpr std::uint32_t LAST_PALETTE_COLOR = 14;
  constexpr std::uint32_t PALETTE_CODE_BASE = 152;
  if ((itemColor & CODE_BIT) != 0) return itemColor;
  if (itemColor <= LAST_PALETTE_COLOR) return itemColor + PALETTE_CODE_BASE;
  return COLOR_CODE_DEFAULT;
}

int itemListCount(void* itemInfo) noexcept { return entryCount({itemInfoOf(itemInfo), ITEM_LIST, 0}); }

int objectListCount(void* itemInfo) noexcept { return entryCount({itemInfoOf(itemInfo), OBJECT_LIST, 0}); }

int boneListCount(void* owner) noexcept { return entryCount(boneList(hostServices().itemInfo, ownerOf(owner))); }

const char* itemListName(void* itemInfo, int index) noexcept {
  if (index == 0) return "(none)";
  return entryText({itemInfoOf(itemInfo), ITEM_LIST, 0}, interfaceInfo(hostServices().globalLookup), index,
                   itemEntryText);
}

const char* objectListName(void* itemInfo, int index) noexcept {
  if (index == 0) return "(none)";
  return entryText({itemInfoOf(itemInfo), OBJECT_LIST, 0}, interfaceInfo(hostServices().globalLookup), index,
                   objectEntryText);
}

const char* boneListName(void* owner, int index) noexcept {
  if (index == 0) return "(none)";
  const HostServices& host = hostServices();
  return entryText(boneList(host.itemInfo, ownerOf(owner)), interfaceInfo(host.globalLookup), index, boneEntryText);
}

}  // namespace kv
