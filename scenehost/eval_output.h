// The printed forms of an evaluation, written frame by frame as the frames
// come: a readable table (six decimals), CSV and JSON (every double in its
// shortest exact form). Integer outputs are item identifiers, written in all
// three as eight hexadecimal digits beside the item's name.
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
  virtual void finish() = 0;
};

// Writes the header at once. Table: columns frame, time, node, output, value,
// widths fixed by the names and the frame range. CSV: frame,time,node,output,
// type,x,y,z,item (a scalar fills x; an integer fills x with its identifier
// and item with its name). JSON: {"fps": ..., "frames": [{"frame": 0,
// "time": 0.0, "nodes": {"node": {"output": value}}}, ...]} with vectors as
// [x, y, z], scalars as numbers and integers as {"id": "10000001", "item":
// "Name"}, one frame to a line.
std::unique_ptr<FramePrinter> makeFramePrinter(OutputFormat format, const std::vector<OutputColumn>& columns,
                                               const SceneFile& file, const FrameRange& frames, std::ostream& out);

}  // namespace kv::scenehost
