// SPDX-License-Identifier: MIT
// The ways scenehost fails: a usage error (bad command line, exit 2) and any
// other error (missing file, bad scene, unknown name, failed write..., exit
// 1). Messages name what and where, e.g. `arm.json: nodes[2].item: no item
// named "Arm"`. A closed output ends the program without a message (exit 1).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kv::scenehost {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SceneError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputClosed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A name as messages show it: "Arm".
inline std::string inQuotes(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  return quoted += '"';
}

}  // namespace kv::scenehost
