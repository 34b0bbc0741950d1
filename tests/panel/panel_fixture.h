// The listed scene and its host for each panel test; the module is loaded once
// for them all.
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

inline host::LoadedModule& module() {
  static host::LoadedModule loaded(KV_MODULE_PATH);
  return loaded;
}

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

  std::unique_ptr<host::HostNode> node(const char* server, host::NodeOptions options = {}) {
    return std::make_unique<host::HostNode>(host, module(), server, options);
  }

  static ItemInfoInstance& itemRecord(const host::HostNode& n) {
    return *reinterpret_cast<ItemInfoInstance*>(n.instance());
  }
  static BoneInfoInstance& boneRecord(const host::HostNode& n) {
    return *reinterpret_cast<BoneInfoInstance*>(n.instance());
  }

  // Leaves the module without the item-info service: an activation that fails
  // on it stores its absence, and the system-ID bit then lets nodes be made.
  void dropItemInfo() {
    host.withhold("LW Item Info 4");
    EXPECT_THROW(node(ITEM_SERVER), host::NodeError);
    host.setSystemId(SYSTEM_ID_NO_ITEM_INFO);
  }

  std::vector<std::string> panelCalls() { return host.calls().matching("panel."); }
};

}  // namespace kv::test
