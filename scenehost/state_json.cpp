// SPDX-License-Identifier: MIT
#include "scenehost/state_json.h"

#include "scenehost/errors.h"

namespace kv::scenehost {

host::SavedState stateFromJson(const nlohmann::ordered_json& json, const std::string& where) {
  try {
    return conformance::stateFromJson(json, where);
  } catch (const conformance::StateFormatError& error) {
    throw SceneError(error.what());
  }
}

}  // namespace kv::scenehost
