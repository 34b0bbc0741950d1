#include "panel/buttons.h"

#include "items/item_numbering.h"
#include "nodes/cache.h"
#include "panel/item_choice.h"
#include "panel/item_command.h"
#include "panel/panel_access.h"

namespace kv {
namespace {

// The host's current item; 0 for an empty selection or without the service.
ItemId currentItem() noexcept {
  const InterfaceInfo* ui = interfaceInfo();
  return ui != nullptr && ui->selectedItems != nullptr ? ui->selectedItems[0] : 0;
}

// Each returns whether it stored anything. The item list cannot show a bone,
// so an item node refuses one.
bool takeItem(ItemInfoInstance& r, ItemId id) noexcept {
  if (isBone(id)) return false;
  r.item = id;
  r.itemListNumber = itemNumber(id);
  return true;
}

// An object becomes the owner with no bone chosen; a bone brings its owner along.
bool takeItem(BoneInfoInstance& r, ItemId id) noexcept {
  switch (id & ITEM_TYPE_MASK) {
    case OBJECT_BITS:
      r.object = id;
      r.objectNumber = itemNumber(id);
      r.boneNumber = 0;
      r.bone = 0;
      return true;
    case BONE_BITS:
      r.bone = id;
      r.object = boneOwner(id);
      r.objectNumber = itemNumber(r.object);
      r.boneNumber = itemNumber(id);
      return true;
    default:
      return false;
  }
}

// The item the panel shows as chosen, resolved from its list number.
ItemId shownItem(const ItemInfoInstance& r) noexcept { return itemByNumber(r.itemListNumber, 0); }
ItemId shownItem(const BoneInfoInstance& r) noexcept { return boneByNumber(r.boneNumber, r.object); }

}  // namespace

template <InstanceRecord R>
void getFromSelection(PanelHandle panel, int) noexcept {
  R* r = panelInstance<R>(panel);
  if (r == nullptr) return;
  // A new item must not be served results cached for the old one.
  if (takeItem(*r, currentItem())) clearCaches(*r);
  refreshPanel(r->panel);
  sendInstanceUpdate(instanceOf(*r));
}

template <InstanceRecord R>
void selectCurrent(PanelHandle panel, int) noexcept {
  const R* r = panelInstance<R>(panel);
  if (r == nullptr) return;
  if (const ItemId id = shownItem(*r); id != 0) selectItemCommand(id);
}

template void getFromSelection<ItemInfoInstance>(PanelHandle, int) noexcept;
template void getFromSelection<BoneInfoInstance>(PanelHandle, int) noexcept;
template void selectCurrent<ItemInfoInstance>(PanelHandle, int) noexcept;
template void selectCurrent<BoneInfoInstance>(PanelHandle, int) noexcept;

}  // namespace kv
