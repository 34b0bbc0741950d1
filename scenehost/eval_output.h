// SPDX-License-Identifier: MIT
// The printed forms of an evaluation, written frame by frame as the frames
// come: a readable table (six decimals, a value too large for its column in
// its shortest exact form), CSV and JSON (every double in its shortest exact
// form). Integer outputs are item identifiers, written in all
// three as eight hexadecimal digits beside the item's label ("Owner:Bone" for
// a bone, "(none)" for 0). Angles are shown in radians, as the host delivers
// them, or in degrees.
#pragma once

#include <iosfwd>
#include <memory>
#include <vector>

#include "scenehost/commands.h"
#include "scenehost/evaluation.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

class FramePrinter {
 public:
  virtual ~FramePrinter() = default;
  // The rows of one frame.
  virtual void frame(const EvaluatedFrame& frame) = 0;
  // What follows the last frame.
  virtual void finish() {}
};

// Writes the header at once; `angles` is the unit rotations are shown in. Table: columns frame, time, node, output,
// value, widths fixed by the names and the frame range. CSV: frame,time,node,output,type,x,y,z,item,unit (a scalar
// fills x; an integer fills x with its identifier and item with its name; a rotation's unit is "radians" or "degrees").
// JSON: {"fps": ..., "angles": "radians"|"degrees", "frames": [{"frame": 0, "time": 0.0, "nodes": {"node": {"output":
// value}}}, ...]} with vectors as [x, y, z], scalars as numbers and integers as {"id": "10000001", "item": "Name"}, one
// frame to a line.
std::unique_ptr<FramePrinter> makeFramePrinter(OutputFormat format, const std::vector<OutputColumn>& columns,
                                               const SceneFile& file, const FrameRange& frames, AngleUnit angles,
                                               std::ostream& out);

}  // namespace kv::scenehost
