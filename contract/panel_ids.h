// SPDX-License-Identifier: MIT
// Control and value IDs of the node panels, shared by both variants. The host's
// panel service sees them: the module describes its controls with them and the
// host calls the panel's get, set and notify functions back with them, so a
// host that drives the panels (the checks, the tools) reads them from here.
#pragma once

#include <cstdint>

namespace kv {

inline constexpr std::uint32_t CTL_ITEM = 0x8001;  // item, or a bone node's owner object
inline constexpr std::uint32_t CTL_BONE = 0x8002;  // bone panel only
inline constexpr std::uint32_t CTL_TIME = 0x8003;
inline constexpr std::uint32_t CTL_MODE = 0x8004;
inline constexpr std::uint32_t CTL_GETSEL = 0x8005;  // "Get from LayoutSel"
inline constexpr std::uint32_t CTL_SELECT = 0x8006;  // "Select by CurItem"

// User data ID under which the panel keeps its instance.
inline constexpr std::uint32_t PANEL_INSTANCE_DATA = 0;

}  // namespace kv
