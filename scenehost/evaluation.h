// Driving placed nodes through frames as a host does: at each frame, new-time
// for every node (time = frame / fps), then evaluate for each output to print.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/node_ports.h"
#include "scenehost/placed_scene.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

// One printed output of one node.
struct OutputColumn {
  std::string node;    // the node entry's name
  std::string output;  // the output's name
  int type = 0;        // its connection type
};

struct EvaluatedFrame {
  int frame = 0;
  double time = 0.0;
  std::vector<host::OutputValue> values;  // one per column
};

struct Evaluation {
  double fps = 0.0;
  std::vector<OutputColumn> columns;
  std::vector<EvaluatedFrame> frames;
};

// Writes a warning to `warnings` for every evaluate call that did not deliver
// exactly one value (the value is then zeros).
Evaluation evaluateFrames(PlacedScene& scene, const FrameRange& frames, std::ostream& warnings);

}  // namespace kv::scenehost
