// SPDX-License-Identifier: MIT
// The host services as the panel code uses them: its panel, the instance
// behind it, the instance update and services looked up on demand. The panel's
// entry points pass each service in; a missing one (null) makes every helper a
// no-op or a null result.
#pragma once

#include "contract/panel_ids.h"
#include "nodes/instance.h"
#include "nodes/node_table.h"

namespace kv {

// The instance a panel views, as its activation stored it.
template <InstanceRecord R>
R* panelInstance(const PanelFuncs* funcs, PanelHandle panel) noexcept {
  if (funcs == nullptr || panel == nullptr) return nullptr;
  return static_cast<R*>(funcs->getData(panel, PANEL_INSTANCE_DATA));
}

inline int refreshPanel(const PanelFuncs* funcs, PanelHandle panel) noexcept {
  return funcs != nullptr && panel != nullptr ? funcs->refresh(panel) : 0;
}

// Tells the host that the instance changed, so that it evaluates the node again.
inline int sendInstanceUpdate(InstanceUpdateFunc update, Instance instance) noexcept {
  return update != nullptr ? update(NODE_HANDLER_CLASS, instance) : 0;
}

// Looked up at each use and never kept.
inline void* lookUpService(GlobalLookup lookup, const char* name) noexcept {
  return lookup != nullptr ? lookup(name, 0) : nullptr;
}

inline const InterfaceInfo* interfaceInfo(GlobalLookup lookup) noexcept {
  return static_cast<const InterfaceInfo*>(lookUpService(lookup, INTERFACE_INFO_SERVICE));
}

}  // namespace kv
