// SPDX-License-Identifier: MIT
#include <optional>
#include <ostream>

#include "host/module_loader.h"
#include "scenehost/commands.h"
#include "scenehost/eval_output.h"
#include "scenehost/evaluation.h"
#include "scenehost/module_path.h"
#include "scenehost/output_check.h"
#include "scenehost/placed_scene.h"
#include "scenehost/plot.h"
#include "scenehost/progress_line.h"

namespace kv::scenehost {

void evalCommand(const EvalOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.plot.empty()) checkPlotTarget(options.plot);
  SceneFile file = loadSceneFile(options.scene);
  const host::LoadedModule module(chooseModulePath(options.module, &file));
  PlacedScene placed(file, module, err);
  placed.warnOfNodesWithoutItem(err);
  if (file.nodes.empty()) {
    err << "warning: " << file.path
        << ": the scene has no nodes, so there is nothing to evaluate (give them in \"nodes\")\n";
  }
  const FrameRange frames = options.frames.value_or(file.frames.value_or(FrameRange{}));
  const std::vector<OutputColumn> columns = outputColumns(placed);
  std::optional<PlotRecorder> plot;
  const AngleUnit angles = options.angles.value_or(file.angles);
  if (!options.plot.empty()) plot.emplace(placed, frames, options.plot, angles, options.overlay);
  const std::unique_ptr<FramePrinter> printer = makeFramePrinter(options.format, columns, file, frames, angles, out);
  {
    ProgressLine progress(err, frameCount(frames), options.progress);
    evaluateFrames(placed, frames, err, [&](const EvaluatedFrame& frame) {
      printer->frame(frame);
      // A full disk or a closed pipe stops the run at once.
      checkWritten(out, "standard output");
      if (plot) plot->add(frame);
      progress.advance(frame.frame);
    });
  }
  printer->finish();
  if (plot) plot->draw();
}

}  // namespace kv::scenehost
