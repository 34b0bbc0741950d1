// SPDX-License-Identifier: MIT
// Node states in scene files, in the JSON form that the conformance checks
// also print; a state the file gets wrong is the scene file's error.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "conformance/state_json.h"
#include "host/saved_state.h"

namespace kv::scenehost {

using conformance::stateToJson;
// Throws SceneError naming `where` (e.g. "arm.json: nodes[1].state[0].u4[2]").
host::SavedState stateFromJson(const nlohmann::ordered_json& json, const std::string& where);

}  // namespace kv::scenehost
