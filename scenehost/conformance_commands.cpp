// SPDX-License-Identifier: MIT
// scenehost check and scenehost validate: the conformance checks, printed as
// they run.
#include <ostream>

#include "conformance/conformance.h"
#include "scenehost/commands.h"

namespace kv::scenehost {

int checkCommand(const std::string& modulePath, std::ostream& out) { return conformance::checkModule(modulePath, out); }

int validateCommand(const ValidateOptions& options, std::ostream& out) {
  return conformance::validateModule(options, out);
}

}  // namespace kv::scenehost
