// SPDX-License-Identifier: MIT
// The listed scene, its host and the module, loaded afresh, for each panel test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "contract/panel_ids.h"
#include "host/host.h"
#include "nodes/instance.h"
#include "nodes/listed_scene.h"

namespace kv::test {

inline constexpr const char* ITEM_SERVER = "KvI_ITEMP";
inline constexpr const char* BONE_SERVER = "KvI_BONEP";

// Eight upper-case hex digits, computed apart from the module's formatter.
inline std::string hex8(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(id));
  return text;
}

class PanelFixture : public ::testing::Test, protected ListedScene {
 protected:
  host::ServiceHost host{scene};
  host::LoadedModule loaded{KV_MODULE_PATH};

  const host::LoadedModule& module() const { return loaded; }

  std::unique_ptr<host::HostNode> node(const char* server, host::NodeOptions options = {}) {
    return std::make_unique<host::HostNode>(host, module(), server, options);
  }

  static ItemInfoInstance& itemRecord(const host::HostNode& n) {
    return *reinterpret_cast<ItemInfoInstance*>(n.instance());
  }
  static BoneInfoInstance& boneRecord(const host::HostNode& n) {
    return *reinterpret_cast<BoneInfoInstance*>(n.instance());
  }

  // Keeps the item-info service from the fresh module: with the system-ID bit
  // activations succeed without looking it up.
  void dropItemInfo() { host.setSystemId(SYSTEM_ID_NO_ITEM_INFO); }

  std::vector<std::string> panelCalls() { return host.calls().matching("panel."); }
};

}  // namespace kv::test
