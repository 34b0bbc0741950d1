#include <ostream>

#include "host/module_loader.h"
#include "scenehost/commands.h"
#include "scenehost/errors.h"
#include "scenehost/module_path.h"
#include "scenehost/placed_scene.h"
#include "scenehost/state_json.h"
#include "scenehost/text_file.h"

namespace kv::scenehost {

void saveCommand(const SaveOptions& options, std::ostream& out, std::ostream& err) {
  SceneFile file = loadSceneFile(options.scene);
  const host::LoadedModule module(chooseModulePath(options.module, &file));
  nlohmann::ordered_json document = file.document;
  {
    PlacedScene placed(file, module, err);
    for (PlacedNode& node : placed.nodes()) {
      host::SavedState state;
      if (const char* error = node.node->save(state)) {
        throw SceneError(file.path + ": " + node.entry->where + ": save failed: " + error);
      }
      document["nodes"][node.entry->index]["state"] = stateToJson(state);
    }
  }
  const std::string target = options.output.empty() ? options.scene : options.output;
  writeFileAtomically(target, document.dump(2) + "\n");
  out << "saved the state of " << file.nodes.size() << " node" << (file.nodes.size() == 1 ? "" : "s") << " to "
      << target << "\n";
}

}  // namespace kv::scenehost
