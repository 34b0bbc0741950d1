// SPDX-License-Identifier: MIT
// Writing nodes' "state" entries into a scene file's text without touching
// the rest of it: each node's existing "state" value is replaced where it
// stands, and a node without one gets it after its last entry, in the
// node's own layout (on its line, or on a line of its own indented as its
// other entries). Everything else stays byte for byte as written.
#pragma once

#include <iosfwd>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "scenehost/scene_file.h"

namespace kv::scenehost {

// `states` maps positions in "nodes" to their new "state" values. `text`
// must be a JSON object the parser accepted. Throws SceneError naming
// `sourceName` if the result does not read back as the document with the
// new states (which would be a fault of this function, not of the file).
std::string spliceStates(std::string_view text, const std::map<std::size_t, nlohmann::ordered_json>& states,
                         const std::string& sourceName);

// Writes `file`'s text with the new states to `target`: atomically to a
// file, or to `out` for "-". Returns the name of what was written.
std::string writeSceneStates(const SceneFile& file, const std::map<std::size_t, nlohmann::ordered_json>& states,
                             const std::string& target, std::ostream& out);

// A value on one line, with a blank after every comma and colon:
// {"block": "IIDS", "u4": [1, 2]}.
std::string oneLineJson(const nlohmann::ordered_json& value);

}  // namespace kv::scenehost
