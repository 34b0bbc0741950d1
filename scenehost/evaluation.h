// SPDX-License-Identifier: MIT
// Driving placed nodes through frames as a host does: at each frame, new-time
// for every node (time = frame / fps), then evaluate for each output to print.
// Each frame is handed on as soon as it is computed, so that a run of any
// length takes the memory of one frame.
#pragma once

#include <cstdint>
#include <functional>
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
  bool angle = false;  // a rotation or a component of one, in radians
};

struct EvaluatedFrame {
  int frame = 0;
  double time = 0.0;
  std::vector<host::OutputValue> values;  // one per column
};

// The outputs every frame delivers, in the order of EvaluatedFrame::values.
std::vector<OutputColumn> outputColumns(PlacedScene& scene);

// The number of frames `frames` spans.
std::int64_t frameCount(const FrameRange& frames);

// Calls `frameDone` with each frame in order (the same object, refilled).
// Writes a warning to `warnings` for every evaluate call that did not deliver
// exactly one value (the value is then zeros).
void evaluateFrames(PlacedScene& scene, const FrameRange& frames, std::ostream& warnings,
                    const std::function<void(const EvaluatedFrame&)>& frameDone);

}  // namespace kv::scenehost
