// A scene, its host and the loaded module, shared by the panel and saved-state
// tests. The scene's item list: A 1, B 2, C 3, L1 4, L2 5, K 6; bones A1, A2
// of A and B1 of B.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "nodes/instance.h"
#include "contract/panel_ids.h"

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

class PanelFixture : public ::testing::Test {
 protected:
  host::Scene scene;
  ItemId A = scene.addObject("A");
  ItemId B = scene.addObject("B");
  ItemId C = scene.addObject("C");
  ItemId L1 = scene.addLight("L1");
  ItemId L2 = scene.addLight("L2");
  ItemId K = scene.addCamera("K");
  ItemId A1 = scene.addBone(A, "A1");
  ItemId A2 = scene.addBone(A, "A2");
  ItemId B1 = scene.addBone(B, "B1");
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
