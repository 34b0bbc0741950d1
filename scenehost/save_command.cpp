// SPDX-License-Identifier: MIT
#include <map>
#include <ostream>

#include "host/module_loader.h"
#include "scenehost/commands.h"
#include "scenehost/errors.h"
#include "scenehost/module_path.h"
#include "scenehost/placed_scene.h"
#include "scenehost/state_json.h"
#include "scenehost/state_splice.h"

namespace kv::scenehost {

void saveCommand(const SaveOptions& options, std::ostream& out, std::ostream& err) {
  SceneFile file = loadSceneFile(options.scene);
  if (options.fromSettings) {
    for (NodeEntry& node : file.nodes) node.state.reset();
  }
  const host::LoadedModule module(chooseModulePath(options.module, &file));
  std::map<std::size_t, nlohmann::ordered_json> states;
  {
    PlacedScene placed(file, module, err);
    for (PlacedNode& node : placed.nodes()) {
      host::SavedState state;
      if (const char* error = node.node->save(state)) {
        throw SceneError(file.path + ": " + node.entry->where + ": save failed: " + error);
      }
      states[node.entry->index] = stateToJson(state);
    }
  }
  // Standard input cannot be rewritten: its scene goes to standard output.
  const std::string target = !options.output.empty()            ? options.output
                             : options.scene == STANDARD_STREAM ? STANDARD_STREAM
                                                                : options.scene;
  const std::string written = writeSceneStates(file, states, target, out);
  // The report goes where it cannot mix with a scene written to standard output.
  (target == STANDARD_STREAM ? err : out) << "saved the state of " << file.nodes.size() << " node"
                                          << (file.nodes.size() == 1 ? "" : "s") << " to " << written << "\n";
}

}  // namespace kv::scenehost
