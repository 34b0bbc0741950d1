// The server table as the host reads it from the loaded plug-in file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "host/host.h"

namespace kv::host {
namespace {

TEST(ServerTable, HoldsSixteenNodesAndTheirPanelsUnderTheSameNames) {
  LoadedModule module(KV_MODULE_PATH);
  EXPECT_EQ(module.descriptor().version, 3u);
  EXPECT_EQ(module.descriptor().machine, 0x300u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(module.startupData()), 4u);

  const auto& servers = module.servers();
  ASSERT_EQ(servers.size(), 32u);
  std::vector<std::string> handlers, panels;
  for (std::size_t i = 0; i < servers.size(); ++i) {
    (i < 16 ? handlers : panels).push_back(servers[i].name);
    EXPECT_EQ(servers[i].className, i < 16 ? "NodeHandler" : "NodeInterface") << i;
    EXPECT_NE(servers[i].activate, nullptr);
  }
  EXPECT_EQ(handlers, panels);
  const std::vector<std::string> expected = {
      "KvI_ITEM", "KvI_ITEMP", "KvI_ITEMR", "KvI_ITEMS", "KvI_ITEMWP", "KvI_ITEMWR", "KvI_ITEMMW", "KvI_ITEMMX",
      "KvI_BONE", "KvI_BONEP", "KvI_BONER", "KvI_BONES", "KvI_BONEWP", "KvI_BONEWR", "KvI_BONEMW", "KvI_BONEMX"};
  EXPECT_EQ(handlers, expected);

  // Each node server has its own entry point; the panels share one per family.
  std::set<ActivateFunc> nodeEntries, itemPanels, bonePanels;
  for (std::size_t i = 0; i < 16; ++i) nodeEntries.insert(servers[i].activate);
  for (std::size_t i = 16; i < 32; ++i) (i < 24 ? itemPanels : bonePanels).insert(servers[i].activate);
  EXPECT_EQ(nodeEntries.size(), 16u);
  EXPECT_EQ(itemPanels.size(), 1u);
  EXPECT_EQ(bonePanels.size(), 1u);
  EXPECT_NE(*itemPanels.begin(), *bonePanels.begin());
}

TEST(ServerTable, NodeServersCarryUserNameMenuGroupAndAllInThatOrder) {
  LoadedModule module(KV_MODULE_PATH);
  const std::map<std::string, std::string> userNames = {
      {"KvI_ITEM", "Item Info"},   {"KvI_ITEMP", "Item Pos"},   {"KvI_ITEMR", "Item Rot"},  {"KvI_ITEMS", "Item Scl"},
      {"KvI_ITEMWP", "Item WPos"}, {"KvI_ITEMWR", "Item WRot"}, {"KvI_ITEMMW", "Item MxW"}, {"KvI_ITEMMX", "Item Mx"},
      {"KvI_BONE", "Bone Info"},   {"KvI_BONEP", "Bone Pos"},   {"KvI_BONER", "Bone Rot"},  {"KvI_BONES", "Bone Scl"},
      {"KvI_BONEWP", "Bone WPos"}, {"KvI_BONEWR", "Bone WRot"}, {"KvI_BONEMW", "Bone MxW"}, {"KvI_BONEMX", "Bone Mx"}};
  for (const ServerInfo& server : module.servers()) {
    if (server.className == "NodeInterface") {
      EXPECT_FALSE(server.hasTagList) << server.name;
      continue;
    }
    ASSERT_TRUE(server.hasTagList) << server.name;
    ASSERT_EQ(server.tags.size(), 3u) << server.name;
    const bool bone = server.name.rfind("KvI_BONE", 0) == 0;
    EXPECT_EQ(server.tags[0].text, userNames.at(server.name));
    EXPECT_EQ(server.tags[0].tag, 0x00000000u);
    EXPECT_EQ(server.tags[1].text, bone ? "ZiZuze/Info/Bone" : "ZiZuze/Info/Item");
    EXPECT_EQ(server.tags[1].tag, 0x00070000u);
    EXPECT_EQ(server.tags[2].text, "All");
    EXPECT_EQ(server.tags[2].tag, 0x00080000u);
  }
}

}  // namespace
}  // namespace kv::host
