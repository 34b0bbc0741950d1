// SPDX-License-Identifier: MIT
// The panel's view of an instance: get and set of each value, and the
// change notification. The host calls them with the instance or the panel.
#pragma once

#include <cstdint>

#include "contract/host_api.h"
#include "nodes/instance.h"

namespace kv {

// Address of the value inside the instance; null for an unknown ID, and for the
// item choices while the Item input (or the time while the Time input) is connected.
template <InstanceRecord R>
void* panelGet(Instance instance, std::uint32_t valueId) noexcept;
// 1 when the ID was handled (the caches are then dropped and the host told), else 0.
template <InstanceRecord R>
int panelSet(Instance instance, std::uint32_t valueId, void* value) noexcept;
template <InstanceRecord R>
int panelNotify(PanelHandle panel, std::uint32_t controlId, std::uint32_t valueId, int event) noexcept;

inline constexpr PanelGetFunc itemPanelGet = panelGet<ItemInfoInstance>;
inline constexpr PanelGetFunc bonePanelGet = panelGet<BoneInfoInstance>;
inline constexpr PanelSetFunc itemPanelSet = panelSet<ItemInfoInstance>;
inline constexpr PanelSetFunc bonePanelSet = panelSet<BoneInfoInstance>;
inline constexpr PanelNotifyFunc itemPanelNotify = panelNotify<ItemInfoInstance>;
inline constexpr PanelNotifyFunc bonePanelNotify = panelNotify<BoneInfoInstance>;

}  // namespace kv
