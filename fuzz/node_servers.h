// SPDX-License-Identifier: MIT
// The module's node servers by family, as the host sees them.
#pragma once

#include <string>
#include <vector>

#include "contract/menu_groups.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/loaded_module.h"

namespace kv::fuzz {

// The "NodeHandler" server under the item or bone family's menu group that
// `pick` chooses, modulo the family's kind count; the inputs pick with four bits.
inline std::string nodeServer(bool bone, unsigned pick) {
  std::vector<std::string> family;
  for (const host::ServerInfo& server : module().servers()) {
    if (server.className == NODE_HANDLER_CLASS && (server.tag(TAG_MENU_GROUP) == BONE_MENU_GROUP) == bone) {
      family.push_back(server.name);
    }
  }
  FUZZ_CHECK(!family.empty() && family.size() <= 16, "four bits pick every kind of a family");
  return family[pick % family.size()];
}

}  // namespace kv::fuzz
