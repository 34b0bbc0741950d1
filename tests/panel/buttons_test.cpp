// SPDX-License-Identifier: MIT
// "Get from LayoutSel" and "Select by CurItem" on both panels.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "panel/item_command.h"
#include "panel_fixture.h"

namespace kv::test {
namespace {

class ButtonTest : public PanelFixture {
 protected:
  // The press's visible effects besides the record: one refresh, one update.
  void expectRefreshAndUpdate(const host::HostPanel& panel, int refreshesBefore) {
    EXPECT_EQ(panel.refreshCount(), refreshesBefore + 1);
    EXPECT_EQ(host.calls().count("instanceUpdate NodeHandler"), 1u);
  }
  std::vector<std::string> commands() { return host.calls().matching("command "); }
};

TEST_F(ButtonTest, ItemPanelTakesTheCurrentItem) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  ItemInfoInstance& r = itemRecord(*n);
  r.cacheFlags = 0xFFFFFFFFu;

  scene.select({L2, A});
  host.calls().clear();
  const int refreshes = panel->refreshCount();
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.item, L2);
  EXPECT_EQ(r.itemListNumber, 5);
  EXPECT_EQ(r.cacheFlags.load(), 0xFFFFF800u);
  expectRefreshAndUpdate(*panel, refreshes);

  scene.select({});
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.item, 0u);
  EXPECT_EQ(r.itemListNumber, 0);
}

TEST_F(ButtonTest, ItemPanelWithoutInterfaceInfoClearsTheItem) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  itemRecord(*n).item = A;
  itemRecord(*n).itemListNumber = 1;
  scene.select({B});
  host.withhold("LW Interface Info 5");
  host.calls().clear();
  const int refreshes = panel->refreshCount();
  panel->press(CTL_GETSEL);
  EXPECT_EQ(itemRecord(*n).item, 0u);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 0);
  expectRefreshAndUpdate(*panel, refreshes);
}

TEST_F(ButtonTest, ItemPanelRefusesABone) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ItemInfoInstance& r = itemRecord(*n);
  r.item = C;
  r.itemListNumber = 3;
  r.cacheFlags = CACHE_WPOS | CACHE_AXES;

  scene.select({A2});
  host.calls().clear();
  const int refreshes = panel->refreshCount();
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.item, C);
  EXPECT_EQ(r.itemListNumber, 3);
  EXPECT_EQ(r.cacheFlags.load(), CACHE_WPOS | CACHE_AXES);
  expectRefreshAndUpdate(*panel, refreshes);
}

TEST_F(ButtonTest, NewItemIsNotServedTheOldItemsCachedResult) {
  scene.setParam(A, PARAM_POSITION, {1.0, 2.0, 3.0});
  scene.setParam(B, PARAM_POSITION, {-4.0, 5.0, 0.5});
  auto n = node("KvI_ITEM");
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  n->newTime(0, 0.0);

  scene.select({A});
  panel->press(CTL_GETSEL);
  EXPECT_EQ(n->evaluate("W Pos").vector, (std::array<double, 3>{1.0, 2.0, 3.0}));
  scene.select({B});
  panel->press(CTL_GETSEL);
  EXPECT_EQ(n->evaluate("W Pos").vector, (std::array<double, 3>{-4.0, 5.0, 0.5}));
}

TEST_F(ButtonTest, BonePanelTakesAnObjectOrABone) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  BoneInfoInstance& r = boneRecord(*n);

  scene.select({B1});
  r.cacheFlags = 0xFFFFFFFFu;
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.bone, B1);
  EXPECT_EQ(r.object, B);
  EXPECT_EQ(r.objectNumber, 2);
  EXPECT_EQ(r.boneNumber, 1);
  EXPECT_EQ(r.cacheFlags.load(), 0xFFFFF800u);

  scene.select({C});
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.object, C);
  EXPECT_EQ(r.objectNumber, 3);
  EXPECT_EQ(r.bone, 0u);
  EXPECT_EQ(r.boneNumber, 0);
}

TEST_F(ButtonTest, BonePanelIgnoresOtherSelections) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  BoneInfoInstance& r = boneRecord(*n);
  r.object = A;
  r.bone = A1;
  r.objectNumber = 1;
  r.boneNumber = 1;

  for (const std::vector<ItemId>& selection :
       {std::vector<ItemId>{L1}, std::vector<ItemId>{K}, std::vector<ItemId>{}}) {
    scene.select(selection);
    host.calls().clear();
    const int refreshes = panel->refreshCount();
    panel->press(CTL_GETSEL);
    EXPECT_EQ(r.object, A);
    EXPECT_EQ(r.bone, A1);
    EXPECT_EQ(r.boneNumber, 1);
    expectRefreshAndUpdate(*panel, refreshes);
  }

  scene.select({B1});
  host.withhold("LW Interface Info 5");
  host.calls().clear();
  const int refreshes = panel->refreshCount();
  panel->press(CTL_GETSEL);
  EXPECT_EQ(r.bone, A1);
  expectRefreshAndUpdate(*panel, refreshes);
}

TEST_F(ButtonTest, ItemPanelSelectsTheItemItsNumberNames) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ItemInfoInstance& r = itemRecord(*n);

  host.calls().clear();
  panel->press(CTL_SELECT);  // number 0: nothing to select
  EXPECT_TRUE(commands().empty());

  r.item = A;
  r.itemListNumber = 6;  // the list number decides, not the stored item
  panel->press(CTL_SELECT);
  EXPECT_EQ(commands(), std::vector<std::string>{"command SelectItem " + hex8(K)});
  EXPECT_EQ(scene.selection(), std::vector<ItemId>{K});

  host.withhold("LW Command Interface");
  host.calls().clear();
  panel->press(CTL_SELECT);
  EXPECT_TRUE(commands().empty());
}

TEST_F(ButtonTest, BonePanelSelectsTheBoneOnly) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  BoneInfoInstance& r = boneRecord(*n);
  r.object = A;
  r.objectNumber = 1;

  host.calls().clear();
  panel->press(CTL_SELECT);  // the owner alone is never selected
  EXPECT_TRUE(commands().empty());

  r.boneNumber = 2;
  panel->press(CTL_SELECT);
  ASSERT_EQ(commands().size(), 1u);
  const std::string command = commands()[0];
  EXPECT_EQ(command, "command SelectItem " + hex8(A2));
  EXPECT_EQ(command.substr(command.size() - 8, 1), "4");
  EXPECT_EQ(scene.selection(), std::vector<ItemId>{A2});

  // A bone number without an owner names nothing, not an entry of the item list.
  r.object = 0;
  r.objectNumber = 0;
  host.calls().clear();
  panel->press(CTL_SELECT);
  EXPECT_TRUE(commands().empty());
}

TEST(FormatIdHex, WritesEightUpperCaseDigitsAndAZero) {
  const auto formatted = [](ItemId id) {
    std::array<char, 10> text;
    text.fill('#');
    formatIdHex(id, std::span<char, 9>(text.data(), 9));
    EXPECT_EQ(text[8], '\0');
    EXPECT_EQ(text[9], '#');
    return std::string(text.data());
  };
  EXPECT_EQ(formatted(0x1000000A), "1000000A");
  EXPECT_EQ(formatted(0), "00000000");
  EXPECT_EQ(formatted(0xDEADBEEF), "DEADBEEF");
  EXPECT_EQ(formatted(0x40020003), "40020003");
  EXPECT_EQ(formatted(0xFFFFFFFF), "FFFFFFFF");
}

}  // namespace
}  // namespace kv::test
