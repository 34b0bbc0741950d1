// SPDX-License-Identifier: MIT
// A node's saved state as JSON, as the scene files hold it and the checks
// show it: a list of blocks, each
//   {"block": "IIDS", "token": "ids", "u4": [268435458]}
// with its values under "i4", "u4" or "dp" when they are all of one kind, or as
// "values": [{"i4": 1}, {"dp": 0.5}, ...] when kinds are mixed; "leaf": false
// only for a non-leaf block.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "host/saved_state.h"

namespace kv::conformance {

class StateFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

nlohmann::ordered_json stateToJson(const host::SavedState& state);
// Throws StateFormatError naming `where` (e.g. "arm.json: nodes[1].state[0].u4[2]").
host::SavedState stateFromJson(const nlohmann::ordered_json& json, const std::string& where);

}  // namespace kv::conformance
