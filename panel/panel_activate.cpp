// SPDX-License-Identifier: MIT
#include "panel/panel_activate.h"

#include "contract/panel_ids.h"
#include "items/host_services.h"
#include "nodes/item_refs.h"
#include "panel/panel_access.h"
#include "panel/panel_tables.h"
#include "panel/panel_values.h"

namespace kv {
namespace {

template <InstanceRecord R>
struct PanelVariant;

template <>
struct PanelVariant<ItemInfoInstance> {
  static constexpr const PanelControl* controls = itemControls;
  static constexpr const PanelDataDesc* dataDesc = itemDataDesc;
  static constexpr const PanelHint* hints = itemHints;
  static constexpr PanelGetFunc get = itemPanelGet;
  static constexpr PanelSetFunc set = itemPanelSet;
};

template <>
struct PanelVariant<BoneInfoInstance> {
  static constexpr const PanelControl* controls = boneControls;
  static constexpr const PanelDataDesc* dataDesc = boneDataDesc;
  static constexpr const PanelHint* hints = boneHints;
  static constexpr PanelGetFunc get = bonePanelGet;
  static constexpr PanelSetFunc set = bonePanelSet;
};

// A new panel viewing `r`, or null when the host cannot make one.
template <InstanceRecord R>
PanelHandle createPanel(const PanelFuncs& funcs, const ItemInfoService& itemInfo, R& r) noexcept {
  using Variant = PanelVariant<R>;
  PanelHandle panel = funcs.create(PANEL_TYPE_VIEW, Variant::controls);
  if (panel == nullptr) return nullptr;
  funcs.describe(panel, Variant::dataDesc, Variant::get, Variant::set);
  funcs.hint(panel, 0, Variant::hints);
  funcs.viewInstance(panel, instanceOf(r));
  // What the pop-ups' count and name functions receive.
  funcs.setData(panel, CTL_ITEM, const_cast<ItemInfoService*>(&itemInfo));
  if constexpr (R::family == Family::Bone) funcs.setData(panel, CTL_BONE, &r.object);
  // How the notify and button functions, called with the panel alone, find the instance.
  funcs.setData(panel, PANEL_INSTANCE_DATA, &r);
  return panel;
}

// The panel lives as long as the instance: made on first opening, refreshed
// after. An activation that fails keeps the services found before, so that the
// panels already open still work and can be destroyed.
template <InstanceRecord R>
int activatePanel(int version, GlobalLookup global, void* local) noexcept {
  if (version < OLDEST_PANEL_HOST_VERSION) return AFUNC_BADVERSION;
  const auto* funcs = static_cast<const PanelFuncs*>(lookUpService(global, PANEL_SERVICE));
  auto* record = static_cast<NodeInterfaceRecord*>(local);
  if (funcs == nullptr || record == nullptr) return AFUNC_BADGLOBAL;
  HostServices host = hostServices();
  host.panelFuncs = funcs;
  host.globalLookup = global;  // the pop-ups and buttons look services up with it later
  if (!publishHostServices(host)) return AFUNC_BADGLOBAL;

  record->panel = nullptr;
  record->reserved08[0] = record->reserved08[1] = nullptr;
  R* r = reinterpret_cast<R*>(record->instance);
  if (host.itemInfo == nullptr || r == nullptr) return AFUNC_OK;

  renumberItems(host.itemInfo, *r);
  if (r->panel != nullptr) {
    funcs->refresh(r->panel);
  } else {
    r->panel = createPanel(*funcs, *host.itemInfo, *r);
  }
  record->panel = r->panel;
  return AFUNC_OK;
}

}  // namespace

int itemPanelActivate(int version, GlobalLookup global, void* local, void*) noexcept {
  return activatePanel<ItemInfoInstance>(version, global, local);
}

int bonePanelActivate(int version, GlobalLookup global, void* local, void*) noexcept {
  return activatePanel<BoneInfoInstance>(version, global, local);
}

}  // namespace kv
