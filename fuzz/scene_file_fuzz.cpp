// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the scene-file reader: it either builds a scene or
// reports a SceneError with a message; any other exception, crash or undefined
// behaviour is a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "scenehost/errors.h"
#include "scenehost/scene_file.h"
#include "scenehost/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const kv::scenehost::SceneFile file =
        kv::scenehost::parseSceneFile(kv::scenehost::parseJsonText(text, "fuzz.json"), "fuzz.json");
    for (const kv::scenehost::NodeEntry& node : file.nodes) {
      FUZZ_CHECK(file.findNode(node.name) != nullptr, "every parsed node can be found by its name");
    }
  } catch (const kv::scenehost::SceneError& error) {
    FUZZ_CHECK(std::string_view(error.what()).starts_with("fuzz.json"), "a scene error names the file");
  }
  return 0;
}
