#include "panel/panel_values.h"

#include "items/host_services.h"
#include "items/item_numbering.h"
#include "nodes/cache.h"
#include "nodes/item_refs.h"
#include "panel/item_choice.h"
#include "panel/panel_access.h"
#include "contract/panel_ids.h"

namespace kv {
namespace {

bool isConnected(InputHandle input) noexcept {
  const NodeInputFuncs* inputs = hostServices.inputFuncs;
  return inputs != nullptr && input != nullptr && inputs->isConnected(input) != 0;
}

// The list number behind the Item pop-up.
std::int32_t& itemChoice(ItemInfoInstance& r) noexcept { return r.itemListNumber; }
std::int32_t& itemChoice(BoneInfoInstance& r) noexcept { return r.objectNumber; }

void chooseItem(ItemInfoInstance& r, std::int32_t number) noexcept {
  r.itemListNumber = number;
  r.item = itemByNumber(number, 0);
}

// A new owner keeps the bone only if the bone is one of its own.
void chooseItem(BoneInfoInstance& r, std::int32_t number) noexcept {
  r.objectNumber = number;
  r.object = itemByNumber(number, 0);
  if (r.object != 0 && (r.bone & 0xFFFF) == (r.object & 0xFFFF)) return;
  r.boneNumber = 0;
  r.bone = 0;
  refreshPanel(r.panel);
}

// Each returns whether the panel has a Bone value at all.
bool chooseBone(ItemInfoInstance&, std::int32_t) noexcept { return false; }

// Without an owner object there is no bone to choose.
bool chooseBone(BoneInfoInstance& r, std::int32_t number) noexcept {
  r.boneNumber = r.object != 0 ? number : 0;
  r.bone = boneByNumber(number, r.object);
  return true;
}

}  // namespace

template <InstanceRecord R>
void* panelGet(Instance instance, std::uint32_t valueId) noexcept {
  if (instance == nullptr) return nullptr;
  R& r = *reinterpret_cast<R*>(instance);
  switch (valueId) {
    case CTL_ITEM:
      return isConnected(r.itemInput) ? nullptr : &itemChoice(r);
    case CTL_BONE:
      if constexpr (R::family == Family::Bone) return isConnected(r.itemInput) ? nullptr : &r.boneNumber;
      return nullptr;
    case CTL_TIME:
      return isConnected(r.timeInput) ? nullptr : &r.panelTime;
    case CTL_MODE:
      return &r.timeMode;
    default:
      return nullptr;
  }
}

template <InstanceRecord R>
int panelSet(Instance instance, std::uint32_t valueId, void* value) noexcept {
  if (instance == nullptr || value == nullptr) return 0;
  R& r = *reinterpret_cast<R*>(instance);
  const auto integer = [value] { return *static_cast<const std::int32_t*>(value); };
  switch (valueId) {
    case CTL_ITEM:
      chooseItem(r, integer());
      break;
    case CTL_BONE:
      if (!chooseBone(r, integer())) return 0;
      break;
    case CTL_TIME:
      r.panelTime = *static_cast<const double*>(value);
      break;
    case CTL_MODE:
      r.timeMode = integer();
      break;
    default:
      return 0;
  }
  clearCaches(r);
  sendInstanceUpdate(instance);
  return 1;
}

template <InstanceRecord R>
int panelNotify(PanelHandle panel, std::uint32_t, std::uint32_t, int event) noexcept {
  R* r = panelInstance<R>(panel);
  if (r == nullptr) return 0;
  switch (event) {
    case EVENT_VALUE_DRAGGED:
    case EVENT_VALUE_CHANGED:
      return sendInstanceUpdate(instanceOf(*r));
    case EVENT_FOCUS_GAINED:
      // Items may have been added or removed while the panel was away.
      renumberItems(*r);
      return refreshPanel(panel);
    default:
      return 0;
  }
}

template void* panelGet<ItemInfoInstance>(Instance, std::uint32_t) noexcept;
template void* panelGet<BoneInfoInstance>(Instance, std::uint32_t) noexcept;
template int panelSet<ItemInfoInstance>(Instance, std::uint32_t, void*) noexcept;
template int panelSet<BoneInfoInstance>(Instance, std::uint32_t, void*) noexcept;
template int panelNotify<ItemInfoInstance>(PanelHandle, std::uint32_t, std::uint32_t, int) noexcept;
template int panelNotify<BoneInfoInstance>(PanelHandle, std::uint32_t, std::uint32_t, int) noexcept;

}  // namespace kv
