// What a node output measures, told by its name as the node editor shows it:
// a point in space, an orientation, scale factors, an axis direction, or an
// item. A scalar output ("X", "H") is one component of its node's vector
// output and measures what that vector does.
#pragma once

#include <string_view>

namespace kv::scenehost {

enum class Quantity {
  Position,   // scene units: "Position", "W Pos", "pivotPos", "restPos"
  Rotation,   // heading, pitch, bank in radians: "Rotation", "W Rot", "pivotRot", "restRot"
  Scale,      // factors: "Scale"
  Direction,  // an axis of the item or of the world: "Right", "W Up", "Fwd"...
  Item,       // an item identifier: every integer output
};

// `vectorOutput` is the name of the node's first output, its vector.
Quantity quantityOf(std::string_view output, int type, std::string_view vectorOutput);

}  // namespace kv::scenehost
