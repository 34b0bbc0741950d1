// SPDX-License-Identifier: MIT
// The server table as the host reads it from the loaded plug-in file.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"

namespace kv::host {
namespace {

// The interface's oracle, kept apart from the module's node table on purpose:
// every node's server and user name as a host sees them, in table order.
const std::vector<std::pair<std::string, std::string>> NODES = {
    {"KvI_ITEM", "Item Info"},   {"KvI_ITEMP", "Item Pos"},   {"KvI_ITEMR", "Item Rot"},  {"KvI_ITEMS", "Item Scl"},
    {"KvI_ITEMWP", "Item WPos"}, {"KvI_ITEMWR", "Item WRot"}, {"KvI_ITEMMW", "Item MxW"}, {"KvI_ITEMMX", "Item Mx"},
    {"KvI_BONE", "Bone Info"},   {"KvI_BONEP", "Bone Pos"},   {"KvI_BONER", "Bone Rot"},  {"KvI_BONES", "Bone Scl"},
    {"KvI_BONEWP", "Bone WPos"}, {"KvI_BONEWR", "Bone WRot"}, {"KvI_BONEMW", "Bone MxW"}, {"KvI_BONEMX", "Bone Mx"}};

TEST(ServerTable, HoldsEveryNodeWithItsTagsThenItsPanelUnderTheSameName) {
  LoadedModule module(KV_MODULE_PATH);
  EXPECT_EQ(module.descriptor().version, 3u);
  EXPECT_EQ(module.descriptor().machine, 0x300u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(module.startupData()), 4u);

  const auto& servers = module.servers();
  ASSERT_EQ(servers.size(), 2 * NODES.size());
  // Each node server has its own entry point; the panels share one per family.
  std::set<ActivateFunc> nodeEntries, itemPanels, bonePanels;
  for (std::size_t i = 0; i < NODES.size(); ++i) {
    const ServerInfo& node = servers[i];
    const ServerInfo& panel = servers[NODES.size() + i];
    const bool bone = NODES[i].second.starts_with("Bone");
    EXPECT_EQ(node.className, "NodeHandler");
    EXPECT_EQ(node.name, NODES[i].first);
    ASSERT_EQ(node.tags.size(), 3u) << node.name;
    EXPECT_EQ(node.tags[0].text, NODES[i].second);
    EXPECT_EQ(node.tags[0].tag, 0x00000000u);
    EXPECT_EQ(node.tags[1].text, bone ? "ZiZuze/Info/Bone" : "ZiZuze/Info/Item");
    EXPECT_EQ(node.tags[1].tag, 0x00070000u);
    EXPECT_EQ(node.tags[2].text, "All");
    EXPECT_EQ(node.tags[2].tag, 0x00080000u);
    EXPECT_EQ(panel.className, "NodeInterface");
    EXPECT_EQ(panel.name, NODES[i].first);
    EXPECT_FALSE(panel.hasTagList) << panel.name;
    EXPECT_NE(panel.activate, nullptr);
    nodeEntries.insert(node.activate);
    (bone ? bonePanels : itemPanels).insert(panel.activate);
  }
  EXPECT_EQ(nodeEntries.size(), NODES.size());
  EXPECT_EQ(itemPanels.size(), 1u);
  EXPECT_EQ(bonePanels.size(), 1u);
  EXPECT_NE(*itemPanels.begin(), *bonePanels.begin());
}

}  // namespace
}  // namespace kv::host
