// SPDX-License-Identifier: MIT
// The gnuplot script of a picture of an evaluation. World positions are paths
// in four views with equal scales on their axes: from the top (X across, Z
// up), the front (X, Y), the side (Z, Y) and in 3D (Y up), start and end
// marked and every tenth frame numbered (every hundredth... in long runs),
// leaving out a number that would cover another. Every other output gets a
// panel against the frames, labelled with its unit and, for a position, with
// its frame; item identifiers are drawn as steps between the items' names.
// Overlaid, one output of several nodes shares a panel. No two
// lines of a view or panel share both colour and dash. A line breaks
// where the node's "Item" input changes item and where an angle wraps around
// its range; frames where the input delivers none are left out, and a sample
// alone between breaks is drawn as a point.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scenehost/output_quantity.h"
#include "scenehost/position_frame.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

// One output as the picture draws it.
struct PlotSeries {
  // Samples from `first` on, up to the next run's, sample one item.
  struct Run {
    std::size_t first;
    std::string item;  // the item's name when an "Item" input chooses it, else ""
  };
  std::string node;
  std::string output;
  std::string vector;  // the vector output this one is, or is a component of
  Quantity quantity = Quantity::Position;
  PositionFrame frame = PositionFrame::World;  // of a position
  int components = 1;                          // 3 for a vector
  std::vector<int> frames;                     // of each sample
  std::vector<double> values;                  // `components` per sample, angles in the picture's unit
  std::vector<Run> runs;
  std::vector<std::string> categories;  // Item series: the item names that the values index
};

struct PlotPicture {
  std::string title;
  FrameRange frames;
  double fps = DEFAULT_FPS;
  AngleUnit angles = AngleUnit::Radians;
  bool overlay = false;  // one output of all nodes in one panel, instead of each in its own
  std::vector<PlotSeries> series;
};

// Draws into `output` with the "svg" or "png" terminal.
std::string plotScript(const PlotPicture& picture, const std::string& output, const std::string& terminal);

}  // namespace kv::scenehost
