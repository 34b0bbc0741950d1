// SPDX-License-Identifier: MIT
#include "scenehost/position_frame.h"

#include "contract/port_names.h"

namespace kv::scenehost {

PositionFrame positionFrame(std::string_view vectorOutput) {
  if (vectorOutput == port::POSITION) return PositionFrame::Parent;
  if (vectorOutput == port::PIVOT_POS) return PositionFrame::Own;
  if (vectorOutput == port::REST_POS) return PositionFrame::ParentBone;
  return PositionFrame::World;
}

std::string_view frameName(PositionFrame frame) {
  switch (frame) {
    case PositionFrame::Parent:
      return "in the parent's frame";
    case PositionFrame::Own:
      return "in the item's own frame";
    case PositionFrame::ParentBone:
      return "in the parent bone's frame";
    case PositionFrame::World:
      break;
  }
  return "in the world";
}

}  // namespace kv::scenehost
