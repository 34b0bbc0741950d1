// A picture of an evaluation's vector outputs: each one's path through space
// over the frames, drawn by gnuplot (run as a program with a generated script
// holding the data) into an SVG or PNG file.
#pragma once

#include <string>
#include <vector>

#include "scenehost/evaluation.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

// Keeps, frame by frame, the values the picture draws, and draws it.
class PlotRecorder {
 public:
  // Throws SceneError as checkPlotTarget does, or when none of `columns` can be drawn.
  PlotRecorder(const std::vector<OutputColumn>& columns, const SceneFile& file, std::string path);

  void add(const EvaluatedFrame& frame);

  // The gnuplot script that draws the frames added so far into `output`
  // ("svg" or "png" terminal).
  std::string script(const std::string& output, const std::string& terminal) const;

  // Writes the picture through a temporary file, so that a failed run leaves
  // no file behind. Throws SceneError when gnuplot fails.
  void draw() const;

 private:
  struct Curve {
    OutputColumn column;
    std::size_t index;           // in EvaluatedFrame::values
    std::vector<double> values;  // x, y, z of each frame
  };
  std::string path_;
  std::string title_;
  std::vector<Curve> curves_;
  std::vector<int> frames_;
};

// Throws SceneError unless `path` ends in .svg or .png and gnuplot is on PATH;
// lets a command fail before it prints anything.
void checkPlotTarget(const std::string& path);

// The gnuplot program found on PATH, or "" when there is none.
std::string findGnuplot();

}  // namespace kv::scenehost
