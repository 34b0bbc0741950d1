// SPDX-License-Identifier: MIT
#include "panel/buttons.h"

#include "items/host_services.h"
#include "items/item_numbering.h"
#include "nodes/cache.h"
#include "panel/item_choice.h"
#include "panel/item_command.h"
#include "panel/panel_access.h"

namespace kv {
namespace {

// The host's current item; 0 for an empty selection or without the service.
ItemId currentItem(GlobalLookup lookup) noexcept {
  const InterfaceInfo* ui = interfaceInfo(lookup);
  return ui != nullptr && ui->selectedItems != nullptr ? ui->selectedItems[0] : 0;
}

// Each returns whether it stored anything. The item list cannot show a bone,
// so an item node refuses one.
bool takeItem(const ItemInfoService* info, ItemInfoInstance& r, ItemId id) noexcept {
  if (isBone(id)) return false;
  r.item = id;
  r.itemListNumber = itemNumber(info, id);
  return true;
}

// An object becomes the owner with no bone chosen; a bone brings its owner along.
bool takeItem(const ItemInfoService* info, BoneInfoInstance& r, ItemId id) noexcept {
  switch (id & ITEM_TYPE_MASK) {
    case OBJECT_BITS:
      r.object = id;
      r.objectNumber = itemNumber(info, id);
      r.boneNumber = 0;
      r.bone = 0;
      return true;
    case BONE_BITS:
      r.bone = id;
      r.object = boneOwner(id);
      r.objectNumber = itemNumber(info, r.object);
      r.boneNumber = itemNumber(info, id);
      return true;
    default:
      return false;
  }
}

// The item the panel shows as chosen, resolved from its list number.
ItemId shownItem(const ItemInfoService* info, const ItemInfoInstance& r) noexcept {
  return itemByNumber(info, r.itemListNumber, 0);
}
ItemId shownItem(const ItemInfoService* info, const BoneInfoInstance& r) noexcept {
  return boneByNumber(info, r.boneNumber, r.object);
}

}  // namespace

template <InstanceRecord R>
void getFromSelection(PanelHandle panel, int) noexcept {
  const HostServices& host = hostServices();
  R* r = panelInstance<R>(host.panelFuncs, panel);
  if (r == nullptr) return;
  // A new item must not be served results cached for the old one.
  if (takeItem(host.itemInfo, *r, currentItem(host.globalLookup))) clearCaches(*r);
  refreshPanel(host.panelFuncs, r->panel);
  sendInstanceUpdate(host.instanceUpdate, instanceOf(*r));
}

template <InstanceRecord R>
void selectCurrent(PanelHandle panel, int) noexcept {
  const HostServices& host = hostServices();
  const R* r = panelInstance<R>(host.panelFuncs, panel);
  if (r == nullptr) return;
  if (const ItemId id = shownItem(host.itemInfo, *r); id != 0) selectItemCommand(host.globalLookup, id);
}

template void getFromSelection<ItemInfoInstance>(PanelHandle, int) noexcept;
template void getFromSelection<BoneInfoInstance>(PanelHandle, int) noexcept;
template void selectCurrent<ItemInfoInstance>(PanelHandle, int) noexcept;
template void selectCurrent<BoneInfoInstance>(PanelHandle, int) noexcept;

}  // namespace kv
