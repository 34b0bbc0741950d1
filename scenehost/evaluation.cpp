#include "scenehost/evaluation.h"

#include <ostream>

namespace kv::scenehost {

Evaluation evaluateFrames(PlacedScene& scene, const FrameRange& frames, std::ostream& warnings) {
  Evaluation result;
  result.fps = scene.file().fps;
  for (const PlacedNode& placed : scene.nodes()) {
    const std::vector<host::PortInfo> outputs = placed.node->outputs();
    for (std::size_t index : placed.outputs)
      result.columns.push_back({placed.entry->name, outputs[index].name, outputs[index].type});
  }
  for (int frame = frames.first; frame <= frames.last; frame += frames.step) {
    EvaluatedFrame evaluated{frame, frame / result.fps, {}};
    for (PlacedNode& placed : scene.nodes()) placed.node->newTime(frame, evaluated.time);
    for (PlacedNode& placed : scene.nodes()) {
      for (std::size_t index : placed.outputs) {
        host::OutputValue value = placed.node->evaluate(index);
        if (value.deliveries != 1) {
          const OutputColumn& column = result.columns[evaluated.values.size()];
          warnings << "warning: frame " << frame << ": node \"" << column.node << "\" delivered " << value.deliveries
                   << " values for \"" << column.output << "\"\n";
        }
        evaluated.values.push_back(value);
      }
    }
    result.frames.push_back(std::move(evaluated));
    if (static_cast<long long>(frames.last) - frame < frames.step) break;  // the next step passes `last`
  }
  return result;
}

}  // namespace kv::scenehost
