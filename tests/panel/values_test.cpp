// SPDX-License-Identifier: MIT
// Reading and writing the panel's values, and the panel's change notification.
#include <cstdint>
#include <string>
#include <vector>

#include "panel_fixture.h"

namespace kv::test {
namespace {

class PanelValuesTest : public PanelFixture {
 protected:
  // Calls the described set function alone, without the host's follow-up notification.
  static int rawSet(host::HostPanel& panel, std::uint32_t id, std::int32_t value) {
    return panel.setFunction()(panel.instance(), id, &value);
  }
  static int rawSet(host::HostPanel& panel, std::uint32_t id, double value) {
    return panel.setFunction()(panel.instance(), id, &value);
  }
  std::size_t updates() { return host.calls().count("instanceUpdate NodeHandler"); }
};

TEST_F(PanelValuesTest, ItemPanelGetsAndSetsEveryValue) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  const ItemInfoInstance& r = itemRecord(*n);

  host.calls().clear();
  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 4), 1);
  EXPECT_EQ(r.item, L1);
  EXPECT_EQ(panel->intValue(CTL_ITEM), 4);
  EXPECT_EQ(rawSet(*panel, CTL_TIME, 1.25), 1);
  EXPECT_EQ(panel->floatValue(CTL_TIME), 1.25);
  EXPECT_EQ(rawSet(*panel, CTL_MODE, 2), 1);
  EXPECT_EQ(panel->intValue(CTL_MODE), 2);
  EXPECT_EQ(r.timeMode, TM_REL);
  EXPECT_EQ(updates(), 3u);

  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 0), 1);  // "(none)"
  EXPECT_EQ(r.item, 0u);
  EXPECT_EQ(r.itemListNumber, 0);
  EXPECT_EQ(n->usedItems(), std::vector<ItemId>{});

  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 6), 1);
  EXPECT_EQ(n->usedItems(), std::vector<ItemId>{K});
}

TEST_F(PanelValuesTest, UnknownIdsAreNotHandled) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ItemInfoInstance& r = itemRecord(*n);
  r.cacheFlags = CACHE_WPOS;

  host.calls().clear();
  EXPECT_EQ(rawSet(*panel, CTL_GETSEL, 1), 0);
  EXPECT_EQ(rawSet(*panel, CTL_BONE, 1), 0);  // the item panel has no bone
  EXPECT_EQ(panel->rawGet(CTL_BONE), nullptr);
  EXPECT_EQ(panel->rawGet(CTL_SELECT), nullptr);
  EXPECT_EQ(updates(), 0u);
  EXPECT_EQ(r.cacheFlags.load(), CACHE_WPOS);
  EXPECT_EQ(r.item, 0u);
}

TEST_F(PanelValuesTest, EachHandledSetClearsExactlyTheCacheBits) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  BoneInfoInstance& r = boneRecord(*n);
  for (std::uint32_t id : {CTL_ITEM, CTL_BONE, CTL_MODE}) {
    r.cacheFlags = 0xFFFFFFFFu;
    EXPECT_EQ(rawSet(*panel, id, 1), 1);
    EXPECT_EQ(r.cacheFlags.load(), 0xFFFFF800u) << hex8(id);
  }
  r.cacheFlags = 0xFFFFFFFFu;
  EXPECT_EQ(rawSet(*panel, CTL_TIME, 0.5), 1);
  EXPECT_EQ(r.cacheFlags.load(), 0xFFFFF800u);
}

TEST_F(PanelValuesTest, ConnectedInputsHideTheirValues) {
  auto item = node(ITEM_SERVER);
  host::HostPanel* itemPanel = item->openPanel();
  item->connectInteger("Item", 3);
  EXPECT_EQ(itemPanel->value(CTL_ITEM), std::nullopt);
  EXPECT_TRUE(itemPanel->floatValue(CTL_TIME).has_value());
  item->connectScalar("Time", 2.0);
  EXPECT_EQ(itemPanel->value(CTL_TIME), std::nullopt);
  EXPECT_EQ(itemPanel->intValue(CTL_MODE), 0);
  item->disconnect("Item");
  EXPECT_EQ(itemPanel->intValue(CTL_ITEM), 0);

  auto bone = node(BONE_SERVER);
  host::HostPanel* bonePanel = bone->openPanel();
  bone->connectInteger("Item", 1);
  EXPECT_EQ(bonePanel->value(CTL_ITEM), std::nullopt);
  EXPECT_EQ(bonePanel->value(CTL_BONE), std::nullopt);
  EXPECT_TRUE(bonePanel->floatValue(CTL_TIME).has_value());
  EXPECT_EQ(bonePanel->intValue(CTL_MODE), 0);
}

// Change-ID refreshes an open panel once for every reference it replaced.
TEST_F(PanelValuesTest, ChangeIdRefreshesThePanelPerReplacedReference) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 1), 1);
  EXPECT_EQ(rawSet(*panel, CTL_BONE, 2), 1);
  const int refreshes = panel->refreshCount();
  n->changeIds({{C, B}});
  EXPECT_EQ(panel->refreshCount(), refreshes);
  n->changeIds({{A, B}, {A2, B1}});
  EXPECT_EQ(panel->refreshCount(), refreshes + 2);
}

TEST_F(PanelValuesTest, BonePanelObjectChangeKeepsOnlyItsOwnBone) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  const BoneInfoInstance& r = boneRecord(*n);
  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 1), 1);
  EXPECT_EQ(rawSet(*panel, CTL_BONE, 2), 1);
  EXPECT_EQ(r.object, A);
  EXPECT_EQ(r.bone, A2);
  EXPECT_EQ(panel->intValue(CTL_BONE), 2);

  // Choosing the owner again keeps the bone without a refresh.
  int refreshes = panel->refreshCount();
  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 1), 1);
  EXPECT_EQ(r.bone, A2);
  EXPECT_EQ(r.boneNumber, 2);
  EXPECT_EQ(panel->refreshCount(), refreshes);

  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 2), 1);
  EXPECT_EQ(r.object, B);
  EXPECT_EQ(r.objectNumber, 2);
  EXPECT_EQ(r.bone, 0u);
  EXPECT_EQ(r.boneNumber, 0);
  EXPECT_EQ(panel->refreshCount(), refreshes + 1);

  EXPECT_EQ(rawSet(*panel, CTL_ITEM, 0), 1);
  EXPECT_EQ(r.object, 0u);
  EXPECT_EQ(panel->refreshCount(), refreshes + 2);
}

TEST_F(PanelValuesTest, BoneWithoutOwnerIsNeverTakenFromTheItemList) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  const BoneInfoInstance& r = boneRecord(*n);
  EXPECT_EQ(rawSet(*panel, CTL_BONE, 1), 1);
  EXPECT_EQ(r.bone, 0u);
  EXPECT_EQ(r.boneNumber, 0);
  EXPECT_EQ(n->usedItems(), std::vector<ItemId>{});
  EXPECT_EQ(panel->popupEntries(CTL_BONE), std::vector<std::string>{"(none)"});
}

TEST_F(PanelValuesTest, ValueEventsSendAnUpdateAndOthersDoNothing) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  itemRecord(*n).item = B;
  itemRecord(*n).itemListNumber = 2;

  host.calls().clear();
  panel->notify(CTL_TIME, CTL_TIME, 1);
  panel->notify(CTL_TIME, CTL_TIME, 2);
  EXPECT_EQ(updates(), 2u);

  scene.insertBefore(C, A);  // B would now be number 3
  host.calls().clear();
  panel->notify(CTL_ITEM, CTL_ITEM, 3);
  panel->notify(CTL_ITEM, CTL_ITEM, 5);
  EXPECT_EQ(host.calls().count("instanceUpdate"), 0u);
  EXPECT_EQ(host.calls().count("panel.refresh"), 0u);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 2);
}

TEST_F(PanelValuesTest, FocusRenumbersAfterTheSceneChanged) {
  auto item = node(ITEM_SERVER);
  host::HostPanel* itemPanel = item->openPanel();
  itemRecord(*item).item = C;
  itemRecord(*item).itemListNumber = 3;
  auto bone = node(BONE_SERVER);
  host::HostPanel* bonePanel = bone->openPanel();
  boneRecord(*bone).object = A;
  boneRecord(*bone).bone = A2;
  boneRecord(*bone).objectNumber = 1;
  boneRecord(*bone).boneNumber = 2;

  const ItemId D = scene.addObject("D");
  scene.insertBefore(D, A);
  const ItemId A0 = scene.addBone(A, "A0");
  scene.insertBefore(A0, A1);

  host.calls().clear();
  const int refreshes = itemPanel->refreshCount();
  EXPECT_EQ(itemPanel->focus(), 1);
  EXPECT_EQ(itemPanel->intValue(CTL_ITEM), 4);
  EXPECT_EQ(itemPanel->refreshCount(), refreshes + 1);
  EXPECT_EQ(host.calls().count("instanceUpdate"), 0u);

  bonePanel->focus();
  EXPECT_EQ(bonePanel->intValue(CTL_ITEM), 2);
  EXPECT_EQ(bonePanel->intValue(CTL_BONE), 3);
}

}  // namespace
}  // namespace kv::test
