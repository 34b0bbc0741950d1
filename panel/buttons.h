// SPDX-License-Identifier: MIT
// The two buttons of each panel: "Get from LayoutSel" takes the host's current
// item into the node, "Select by CurItem" makes the node's item the host's selection.
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"

namespace kv {

template <InstanceRecord R>
void getFromSelection(PanelHandle panel, int controlId) noexcept;
template <InstanceRecord R>
void selectCurrent(PanelHandle panel, int controlId) noexcept;

inline constexpr ButtonFunc itemGetFromSelection = getFromSelection<ItemInfoInstance>;
inline constexpr ButtonFunc boneGetFromSelection = getFromSelection<BoneInfoInstance>;
inline constexpr ButtonFunc itemSelectCurrent = selectCurrent<ItemInfoInstance>;
inline constexpr ButtonFunc boneSelectCurrent = selectCurrent<BoneInfoInstance>;

}  // namespace kv
