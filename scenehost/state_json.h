// A node's saved state in the scene file: a list of blocks, each
//   {"block": "IIDS", "token": "ids", "u4": [268435458]}
// with its values under "i4", "u4" or "dp" when they are all of one kind, or as
// "values": [{"i4": 1}, {"dp": 0.5}, ...] when kinds are mixed; "leaf": false
// only for a non-leaf block.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "host/saved_state.h"

namespace kv::scenehost {

nlohmann::ordered_json stateToJson(const host::SavedState& state);
// Throws SceneError naming `where` (e.g. "arm.json: nodes[1].state[0].u4[2]").
host::SavedState stateFromJson(const nlohmann::ordered_json& json, const std::string& where);

}  // namespace kv::scenehost
