// SPDX-License-Identifier: MIT
// A picture of an evaluation, drawn by gnuplot (run as a program with a
// generated script holding the data) into an SVG or PNG file: positions as
// paths seen from the top, the front, the side and in 3D, every other output
// against the frames in a panel of its own (or, overlaid, of its output).
#pragma once

#include <string>
#include <vector>

#include "scenehost/evaluation.h"
#include "scenehost/placed_scene.h"
#include "scenehost/plot_script.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

// Keeps, frame by frame, the values the picture draws, and draws it.
class PlotRecorder {
 public:
  // Throws as checkPlotTarget does, or SceneError when the scene evaluates no
  // outputs. Rotations are drawn in `angles`; `overlay` draws one output of
  // all nodes in one panel. `scene` must outlive this.
  PlotRecorder(PlacedScene& scene, const FrameRange& frames, std::string path, AngleUnit angles, bool overlay);

  void add(const EvaluatedFrame& frame);

  // The gnuplot script that draws the frames added so far into `output`
  // ("svg" or "png" terminal).
  std::string script(const std::string& output, const std::string& terminal) const {
    return plotScript(picture_, output, terminal);
  }

  // Writes the picture through a temporary file, so that a failed run leaves
  // no file behind. Throws SceneError when gnuplot fails.
  void draw() const;

 private:
  // Where a series takes its values from, and the item its current run samples.
  struct Source {
    std::size_t column;              // in EvaluatedFrame::values
    const ItemTrack* items;          // the node's "Item" input, or null
    std::vector<ItemId> categories;  // an Item series' values, in order of appearance
    ItemId runItem = 0;
    bool inRun = false;
  };
  void addSample(PlotSeries& series, Source& source, const host::OutputValue& value) const;

  const SceneFile& file_;
  std::string path_;
  PlotPicture picture_;
  std::vector<Source> sources_;  // one per series
};

// Throws UsageError unless `path` ends in .svg or .png, SceneError unless
// gnuplot is on PATH and the file can be written; lets a command fail before
// it prints anything.
void checkPlotTarget(const std::string& path);

// The gnuplot program found on PATH, or "" when there is none.
std::string findGnuplot();

}  // namespace kv::scenehost
