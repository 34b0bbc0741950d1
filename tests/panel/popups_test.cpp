// SPDX-License-Identifier: MIT
// The pop-up lists' entries, byte for byte.
#include "panel/popups.h"

#include <cstdint>
#include <string>
#include <vector>

#include "panel_fixture.h"

namespace kv::test {
namespace {

// The entry the host's panel service expects: 0x03, "(i:icon,colour)", a blank, the name.
std::string entry(unsigned icon, unsigned color, const std::string& name) {
  return "\x03(i:" + std::to_string(icon) + "," + std::to_string(color) + ") " + name;
}

constexpr unsigned NO_COLOR = 16777216;

class PopupTest : public PanelFixture {};

TEST_F(PopupTest, ItemListShowsObjectsLightsAndCamerasWithTheirIcons) {
  scene.setColor(A, 3);
  scene.setColor(L1, 0);
  scene.setColor(K, 14);
  scene.setColor(B, 15);
  scene.setColor(C, 0x1000005);
  scene.setColor(L2, 20);
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);

  EXPECT_EQ(panel->popupCount(CTL_ITEM), 7);
  EXPECT_EQ(
      panel->popupEntries(CTL_ITEM),
      (std::vector<std::string>{"(none)", entry(160, 155, "A"), entry(160, NO_COLOR, "B"), entry(160, 0x1000005, "C"),
                                entry(162, 152, "L1"), entry(162, NO_COLOR, "L2"), entry(163, 166, "K")}));
  EXPECT_EQ(panel->popupName(CTL_ITEM, 7), "");
  EXPECT_EQ(panel->popupName(CTL_ITEM, -1), "");
}

TEST_F(PopupTest, BonePanelListsObjectsAndTheOwnersBones) {
  auto n = node(BONE_SERVER);
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);

  EXPECT_EQ(panel->popupEntries(CTL_ITEM),
            (std::vector<std::string>{"(none)", entry(160, 152, "A"), entry(160, 152, "B"), entry(160, 152, "C")}));
  EXPECT_EQ(panel->popupName(CTL_ITEM, 4), "");
  EXPECT_EQ(panel->popupCount(CTL_BONE), 1);
  EXPECT_EQ(panel->popupName(CTL_BONE, 1), "");

  // The bone list follows the owner chosen in the Item pop-up.
  panel->set(CTL_ITEM, 1);
  EXPECT_EQ(panel->popupEntries(CTL_BONE),
            (std::vector<std::string>{"(none)", entry(161, 152, "A1"), entry(161, 152, "A2")}));
  EXPECT_EQ(panel->popupName(CTL_BONE, 3), "");
  panel->set(CTL_ITEM, 2);
  EXPECT_EQ(panel->popupEntries(CTL_BONE), (std::vector<std::string>{"(none)", entry(161, 152, "B1")}));
}

TEST_F(PopupTest, WithoutInterfaceInfoEntriesTakeTheDefaultColour) {
  scene.setColor(A, 3);
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  host.withhold("LW Interface Info 5");
  EXPECT_EQ(panel->popupName(CTL_ITEM, 1), entry(160, NO_COLOR, "A"));
}

TEST_F(PopupTest, LongNameIsCutTo63Bytes) {
  const std::string name(100, 'n');
  scene.rename(B, name);
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  const std::string text = panel->popupName(CTL_ITEM, 2);
  EXPECT_EQ(text.size(), 63u);
  EXPECT_EQ(text, entry(160, 152, name).substr(0, 63));
}

TEST_F(PopupTest, EachNameFunctionKeepsItsOwnText) {
  auto item = node(ITEM_SERVER);
  host::HostPanel* itemPanel = item->openPanel();
  auto bone = node(BONE_SERVER);
  host::HostPanel* bonePanel = bone->openPanel();
  bonePanel->set(CTL_ITEM, 1);

  const host::PopupBinding* items = itemPanel->popup(CTL_ITEM);
  const host::PopupBinding* objects = bonePanel->popup(CTL_ITEM);
  const host::PopupBinding* bones = bonePanel->popup(CTL_BONE);
  const char* light = items->name(itemPanel->data(CTL_ITEM), 4);
  const char* object = objects->name(bonePanel->data(CTL_ITEM), 3);
  const char* bone2 = bones->name(bonePanel->data(CTL_BONE), 2);
  EXPECT_EQ(std::string(light), entry(162, 152, "L1"));
  EXPECT_EQ(std::string(object), entry(160, 152, "C"));
  EXPECT_EQ(std::string(bone2), entry(161, 152, "A2"));
}

// Lists whose last item leads back to their first, as a damaged host's may:
// each item is listed, counted and numbered once, and lookups by number end.
TEST_F(PopupTest, LoopingListsShowEachItemOnce) {
  scene.loopListBackTo(A);
  scene.loopListBackTo(A1);
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  EXPECT_EQ(panel->popupCount(CTL_ITEM), 7);
  EXPECT_EQ(panel->popupEntries(CTL_ITEM),
            (std::vector<std::string>{"(none)", entry(160, 152, "A"), entry(160, 152, "B"), entry(160, 152, "C"),
                                      entry(162, 152, "L1"), entry(162, 152, "L2"), entry(163, 152, "K")}));
  EXPECT_EQ(panel->popupName(CTL_ITEM, 8), "");
  panel->set(CTL_ITEM, 6);
  EXPECT_EQ(itemRecord(*n).item, K);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 6);

  auto bone = node(BONE_SERVER);
  host::HostPanel* bonePanel = bone->openPanel();
  bonePanel->set(CTL_ITEM, 1);
  EXPECT_EQ(bonePanel->popupEntries(CTL_BONE),
            (std::vector<std::string>{"(none)", entry(161, 152, "A1"), entry(161, 152, "A2")}));
  bonePanel->set(CTL_BONE, 2);
  EXPECT_EQ(boneRecord(*bone).bone, A2);

  // A loop back into the middle of the list, or onto its last item, is seen a
  // few entries late: the object list still counts each item once, and the
  // lights and the camera after it keep their numbers and names.
  const ItemId A3 = scene.addBone(A, "A3");
  for (const ItemId back : {B, C}) {
    scene.loopListBackTo(back);
    EXPECT_EQ(panel->popupCount(CTL_ITEM), 7);
    EXPECT_EQ(panel->popupEntries(CTL_ITEM),
              (std::vector<std::string>{"(none)", entry(160, 152, "A"), entry(160, 152, "B"), entry(160, 152, "C"),
                                        entry(162, 152, "L1"), entry(162, 152, "L2"), entry(163, 152, "K")}));
    EXPECT_EQ(panel->popupName(CTL_ITEM, 7), "");
    panel->set(CTL_ITEM, 4);
    EXPECT_EQ(itemRecord(*n).item, L1);
    panel->press(CTL_SELECT);
    EXPECT_EQ(scene.selection(), std::vector<ItemId>{L1});
    itemRecord(*n).item = K;
    panel->focus();
    EXPECT_EQ(itemRecord(*n).itemListNumber, 6);
  }
  scene.loopListBackTo(A3);
  EXPECT_EQ(bonePanel->popupCount(CTL_BONE), 4);
  EXPECT_EQ(bonePanel->popupName(CTL_BONE, 4), "");
  bonePanel->set(CTL_BONE, 4);
  EXPECT_EQ(boneRecord(*bone).bone, 0u);
}

TEST(IconColorCode, MapsHostColoursToPanelCodes) {
  EXPECT_EQ(iconColorCode(0), 152u);
  EXPECT_EQ(iconColorCode(3), 155u);
  EXPECT_EQ(iconColorCode(14), 166u);
  EXPECT_EQ(iconColorCode(15), 0x1000000u);
  EXPECT_EQ(iconColorCode(20), 0x1000000u);
  EXPECT_EQ(iconColorCode(0xFFFFFF), 0x1000000u);
  EXPECT_EQ(iconColorCode(0x1000000), 0x1000000u);
  EXPECT_EQ(iconColorCode(0x1336699), 0x1336699u);
  EXPECT_EQ(iconColorCode(0xFF000003), 0xFF000003u);
}

}  // namespace
}  // namespace kv::test
