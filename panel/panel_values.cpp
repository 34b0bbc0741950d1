// SPDX-License-Identifier: MIT
#include "panel/panel_values.h"

#include "contract/panel_ids.h"
#include "items/host_services.h"
#include "items/item_numbering.h"
#include "nodes/cache.h"
#include "nodes/item_refs.h"
#include "panel/item_choice.h"
#include "panel/panel_access.h"

namespace kv {
namespace {

bool isConnected(const NodeInputFuncs* inputs, InputHandle input) noexcept {
  return inputs != nullptr && input != nullptr && inputs->isConnected(input) != 0;
}

// The list number behind the Item pop-up.
std::int32_t& itemChoice(ItemInfoInstance& r) noexcept { return r.itemListNumber; }
std::int32_t& itemChoice(BoneInfoInstance& r) noexcept { return r.objectNumber; }

void chooseItem(const HostServices& host, ItemInfoInstance& r, std::int32_t number) noexcept {
  r.itemListNumber = number;
  r.item = itemByNumber(host.itemInfo, number, 0);
}

// A new owner keeps the bone only if the bone is one of its own.
void chooseItem(const HostServices& host, BoneInfoInstance& r, std::int32_t number) noexcept {
  r.objectNumber = number;
  r.object = itemByNumber(host.itemInfo, number, 0);
  if (r.object != 0 && (r.bone & 0xFFFF) == (r.object & 0xFFFF)) return;
  r.boneNumber = 0;
  r.bone = 0;
  refreshPanel(host.panelFuncs, r.panel);
}

// Each returns whether the panel has a Bone value at all.
bool chooseBone(const ItemInfoService*, ItemInfoInstance&, std::int32_t) noexcept { return false; }

// Without an owner object there is no bone to choose.
bool chooseBone(const ItemInfoService* info, BoneInfoInstance& r, std::int32_t number) noexcept {
  r.boneNumber = r.object != 0 ? number : 0;
  r.bone = boneByNumber(info, number, r.object);
  return true;
}

}  // namespace

template <InstanceRecord R>
void* panelGet(Instance instance, std::uint32_t valueId) noexcept {
  if (instance == nullptr) return nullptr;
  const NodeInputFuncs* inputs = hostServices().inputFuncs;
  R& r = *reinterpret_cast<R*>(instance);
  switch (valueId) {
    case CTL_ITEM:
      return isConnected(inputs, r.itemInput) ? nullptr : &itemChoice(r);
    case CTL_BONE:
      if constexpr (R::family == Family::Bone) return isConnected(inputs, r.itemInput) ? nullptr : &r.boneNumber;
      return nullptr;
    case CTL_TIME:
      return isConnected(inputs, r.timeInput) ? nullptr : &r.panelTime;
    case CTL_MODE:
      return &r.timeMode;
    default:
      return nullptr;
  }
}

template <InstanceRecord R>
int panelSet(Instance instance, std::uint32_t valueId, void* value) noexcept {
  if (instance == nullptr || value == nullptr) return 0;
  const HostServices& host = hostServices();
  R& r = *reinterpret_cast<R*>(instance);
  const auto integer = [value] { return *static_cast<const std::int32_t*>(value); };
  switch (valueId) {
    case CTL_ITEM:
      chooseItem(host, r, integer());
      break;
    case CTL_BONE:
      if (!chooseBone(host.itemInfo, r, integer())) return 0;
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
  sendInstanceUpdate(host.instanceUpdate, instance);
  return 1;
}

template <InstanceRecord R>
int panelNotify(PanelHandle panel, std::uint32_t, std::uint32_t, int event) noexcept {
  const HostServices& host = hostServices();
  R* r = panelInstance<R>(host.panelFuncs, panel);
  if (r == nullptr) return 0;
  switch (event) {
    case EVENT_VALUE_DRAGGED:
    case EVENT_VALUE_CHANGED:
      return sendInstanceUpdate(host.instanceUpdate, instanceOf(*r));
    case EVENT_FOCUS_GAINED:
      // Items may have been added or removed while the panel was away.
      renumberItems(host.itemInfo, *r);
      return refreshPanel(host.panelFuncs, panel);
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
