#include <ostream>

#include "host/call_record.h"
#include "host/module_loader.h"
#include "scenehost/commands.h"
#include "scenehost/eval_output.h"
#include "scenehost/evaluation.h"
#include "scenehost/module_path.h"
#include "scenehost/placed_scene.h"
#include "scenehost/plot.h"

namespace kv::scenehost {

void evalCommand(const EvalOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.plot.empty()) checkPlotTarget(options.plot);
  SceneFile file = loadSceneFile(options.scene);
  const host::LoadedModule module(chooseModulePath(options.module, &file));
  PlacedScene placed(file, module, err);
  // Nothing here reads the record, and it would grow with every frame.
  placed.host().calls().setEnabled(false);
  const FrameRange frames = options.frames.value_or(file.frames.value_or(FrameRange{}));
  const Evaluation evaluation = evaluateFrames(placed, frames, err);
  // The picture first, so that a failure prints nothing.
  if (!options.plot.empty()) {
    const std::string title = file.path + ", frames " + std::to_string(frames.first) + ".." +
                              std::to_string(frames.last) + " at " + host::formatDouble(file.fps) + " fps";
    plotEvaluation(evaluation, title, options.plot);
  }
  switch (options.format) {
    case OutputFormat::Table:
      out << formatTable(evaluation, file);
      break;
    case OutputFormat::Csv:
      out << formatCsv(evaluation, file);
      break;
    case OutputFormat::Json:
      out << formatJson(evaluation);
      break;
  }
}

}  // namespace kv::scenehost
