// A picture of an evaluation's vector outputs: each one's path through space
// over the frames, drawn by gnuplot (run as a program with a generated script
// holding the data) into an SVG or PNG file.
#pragma once

#include <string>

#include "scenehost/evaluation.h"

namespace kv::scenehost {

// The gnuplot script that draws `evaluation` into `output` ("svg" or "png" terminal).
std::string plotScript(const Evaluation& evaluation, const std::string& title, const std::string& output,
                       const std::string& terminal);

// Writes the picture to `path` (.svg or .png) through a temporary file, so a
// failed run leaves no file behind. Throws SceneError when the extension is
// neither, there is no vector output, gnuplot is missing or it fails.
void plotEvaluation(const Evaluation& evaluation, const std::string& title, const std::string& path);

// Throws SceneError unless `path` ends in .svg or .png and gnuplot is on PATH;
// lets a command fail before it prints anything.
void checkPlotTarget(const std::string& path);

// The gnuplot program found on PATH, or "" when there is none.
std::string findGnuplot();

}  // namespace kv::scenehost
