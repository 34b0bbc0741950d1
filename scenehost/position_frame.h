// SPDX-License-Identifier: MIT
// The frame a node's position output is given in: "W Pos" in the world,
// "Position" in the item's parent's frame, "pivotPos" in the item's own
// frame, "restPos" in the frame of the bone's parent. Positions of different
// frames are no places in one space, so a picture never draws them as one.
#pragma once

#include <string_view>

namespace kv::scenehost {

enum class PositionFrame { World, Parent, Own, ParentBone };

// `vectorOutput` is the position output, or the vector output whose
// component ("X", "Y", "Z") the output is.
PositionFrame positionFrame(std::string_view vectorOutput);

// "in the world", "in the parent's frame"...
std::string_view frameName(PositionFrame frame);

}  // namespace kv::scenehost
