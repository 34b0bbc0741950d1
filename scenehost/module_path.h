// SPDX-License-Identifier: MIT
// Which module file a command loads: the --module option, else the module the
// scene file names (relative to the scene file's folder), else the built
// module beside the program or in the folder above it (the build tree puts
// the program in scenehost/ under the module's folder).
#pragma once

#include <string>
#include <vector>

namespace kv::scenehost {

struct SceneFile;

std::string chooseModulePath(const std::string& option, const SceneFile* scene);
// The places looked at when nothing names a module, in order.
std::vector<std::string> defaultModuleCandidates();

}  // namespace kv::scenehost
