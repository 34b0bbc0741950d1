// SPDX-License-Identifier: MIT
#include "scenehost/evaluation.h"

#include <ostream>

#include "scenehost/output_quantity.h"

namespace kv::scenehost {
std::vector<OutputColumn> outputColumns(PlacedScene& scene) {
  std::vector<OutputColumn> columns;
  for (const PlacedNode& placed : scene.nodes()) {
    const std::vector<host::PortInfo> outputs = placed.node->outputs();
    for (std::size_t index : placed.outputs) {
      const host::PortInfo& output = outputs[index];
      const bool angle = quantityOf(output.name, output.type, outputs.front().name) == Quantity::Rotation;
      columns.push_back({placed.entry->name, output.name, output.type, angle});
    }
  }
  return columns;
}

std::int64_t frameCount(const FrameRange& frames) {
  return (static_cast<std::int64_t>(frames.last) - frames.first) / frames.step + 1;
}

void evaluateFrames(PlacedScene& scene, const FrameRange& frames, std::ostream& warnings,
                    const std::function<void(const EvaluatedFrame&)>& frameDone) {
  const std::vector<OutputColumn> columns = outputColumns(scene);
  const double fps = scene.file().fps;
  EvaluatedFrame evaluated;
  evaluated.values.reserve(columns.size());
  for (int frame = frames.first; frame <= frames.last; frame += frames.step) {
    evaluated.frame = frame;
    evaluated.time = frame / fps;
    evaluated.values.clear();
    for (PlacedNode& placed : scene.nodes()) placed.node->newTime(frame, evaluated.time);
    for (PlacedNode& placed : scene.nodes()) {
      for (std::size_t index : placed.outputs) {
        host::OutputValue value = placed.node->evaluate(index);
        if (value.deliveries != 1) {
          const OutputColumn& column = columns[evaluated.values.size()];
          warnings << "warning: frame " << frame << ": node \"" << column.node << "\" delivered " << value.deliveries
                   << " values for \"" << column.output << "\"\n";
        }
        evaluated.values.push_back(value);
      }
    }
    frameDone(evaluated);
    if (static_cast<long long>(frames.last) - frame < frames.step) break;  // the next step passes `last`
  }
}

}  // namespace kv::scenehost
