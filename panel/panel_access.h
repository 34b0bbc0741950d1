// The host services the panel code reaches: its panel, the instance behind it,
// the instance update and services looked up on demand. Each is a no-op or a
// null result while the host has not provided the service.
#pragma once

#include "items/host_services.h"
#include "nodes/instance.h"
#include "nodes/node_table.h"
#include "contract/panel_ids.h"

namespace kv {

// The instance a panel views, as its activation stored it.
template <InstanceRecord R>
R* panelInstance(PanelHandle panel) noexcept {
  const PanelFuncs* funcs = hostServices.panelFuncs;
  if (funcs == nullptr || panel == nullptr) return nullptr;
  return static_cast<R*>(funcs->getData(panel, PANEL_INSTANCE_DATA));
}

inline int refreshPanel(PanelHandle panel) noexcept {
  const PanelFuncs* funcs = hostServices.panelFuncs;
  return funcs != nullptr && panel != nullptr ? funcs->refresh(panel) : 0;
}

// Tells the host that the instance changed, so that it evaluates the node again.
inline int sendInstanceUpdate(Instance instance) noexcept {
  const InstanceUpdateFunc update = hostServices.instanceUpdate;
  return update != nullptr ? update(NODE_HANDLER_CLASS, instance) : 0;
}

// Looked up at each use and never kept.
inline void* lookUpService(const char* name) noexcept {
  const GlobalLookup lookup = hostServices.globalLookup;
  return lookup != nullptr ? lookup(name, 0) : nullptr;
}

inline const InterfaceInfo* interfaceInfo() noexcept {
  return static_cast<const InterfaceInfo*>(lookUpService(INTERFACE_INFO_SERVICE));
}

}  // namespace kv
