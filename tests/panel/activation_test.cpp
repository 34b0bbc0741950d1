// SPDX-License-Identifier: MIT
// Opening a node's panel: what the activation hands the host's panel service.
#include <string>
#include <vector>

#include "panel_fixture.h"

namespace kv::test {
namespace {

class PanelActivationTest : public PanelFixture {};

std::vector<std::string> labelsOf(const host::HostPanel& panel) {
  std::vector<std::string> labels;
  for (const host::ControlInfo& c : panel.controls()) labels.push_back(c.label + " " + c.controlClass);
  return labels;
}

std::vector<std::string> dataOf(const host::HostPanel& panel) {
  std::vector<std::string> data;
  for (const host::DataInfo& d : panel.dataDescription())
    data.push_back(hex8(d.id) + " '" + d.name + "' " + d.dataType);
  return data;
}

TEST_F(PanelActivationTest, FirstItemActivationCreatesAndDescribesThePanel) {
  auto n = node(ITEM_SERVER);
  itemRecord(*n).item = C;
  itemRecord(*n).itemListNumber = 99;  // stale: the activation numbers afresh

  host.calls().clear();
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(n->lastPanelResult(), 0);
  EXPECT_EQ(n->lastPanelRecord().reserved08[0], nullptr);
  EXPECT_EQ(n->lastPanelRecord().reserved08[1], nullptr);
  EXPECT_EQ(itemRecord(*n).panel, n->lastPanelRecord().panel);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 3);
  EXPECT_EQ(host.calls().count("lookup LWXPanel"), 1u);
  EXPECT_EQ(panelCalls(), (std::vector<std::string>{"panel.create 1", "panel.describe", "panel.hint 0",
                                                    "panel.viewInstance", "panel.setData 8001", "panel.setData 0"}));

  EXPECT_EQ(labelsOf(*panel), (std::vector<std::string>{"Item iPopChoice", "Time float", "Mode iChoice",
                                                        "Get from LayoutSel vButton", "Select by CurItem vButton"}));
  EXPECT_EQ(panel->controls()[0].id, CTL_ITEM);
  EXPECT_EQ(panel->controls()[4].id, CTL_SELECT);
  EXPECT_EQ(dataOf(*panel),
            (std::vector<std::string>{"00008001 '' integer", "00008003 '' float", "00008004 '' integer"}));
  EXPECT_EQ(panel->instance(), n->instance());
  EXPECT_EQ(panel->data(CTL_ITEM), &host::itemInfoTable());
  EXPECT_EQ(panel->data(0), n->instance());
  EXPECT_NE(panel->notifyFunction(), nullptr);
  EXPECT_NE(panel->popup(CTL_ITEM), nullptr);
  EXPECT_EQ(panel->popup(CTL_BONE), nullptr);
  EXPECT_EQ(*panel->stringList(CTL_MODE), (std::vector<std::string>{"Cur", "Abs", "Rel"}));
  EXPECT_NE(panel->button(CTL_GETSEL), nullptr);
  EXPECT_NE(panel->button(CTL_SELECT), nullptr);
  ASSERT_EQ(panel->controlHints().size(), 3u);
  EXPECT_EQ(panel->controlHints()[0].tag, 0x3D021280u);
  EXPECT_EQ(panel->controlHints()[0].id, CTL_GETSEL);
  EXPECT_EQ(panel->controlHints()[0].argument, 0u);
  EXPECT_EQ(panel->controlHints()[1].tag, 0x3D021481u);
  EXPECT_EQ(panel->controlHints()[1].id, CTL_ITEM);
  EXPECT_EQ(panel->controlHints()[2].id, CTL_MODE);
  EXPECT_TRUE(panel->unknownHints().empty());
}

TEST_F(PanelActivationTest, FirstBoneActivationAlsoHandsOverTheOwnerField) {
  auto n = node(BONE_SERVER);
  BoneInfoInstance& r = boneRecord(*n);
  r.object = B;
  r.bone = B1;

  host.calls().clear();
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(r.objectNumber, 2);
  EXPECT_EQ(r.boneNumber, 1);
  EXPECT_EQ(panelCalls(),
            (std::vector<std::string>{"panel.create 1", "panel.describe", "panel.hint 0", "panel.viewInstance",
                                      "panel.setData 8001", "panel.setData 8002", "panel.setData 0"}));
  EXPECT_EQ(labelsOf(*panel),
            (std::vector<std::string>{"Item iPopChoice", "Bone iPopChoice", "Time float", "Mode iChoice",
                                      "Get from LayoutSel vButton", "Select by CurItem vButton"}));
  EXPECT_EQ(dataOf(*panel), (std::vector<std::string>{"00008001 '' integer", "00008002 '' integer", "00008003 '' float",
                                                      "00008004 '' integer"}));
  EXPECT_EQ(panel->data(CTL_BONE), &r.object);
  EXPECT_NE(panel->popup(CTL_ITEM), nullptr);
  EXPECT_NE(panel->popup(CTL_BONE), nullptr);
  EXPECT_NE(panel->popup(CTL_ITEM)->name, panel->popup(CTL_BONE)->name);
  ASSERT_EQ(panel->controlHints().size(), 3u);
  EXPECT_EQ(panel->controlHints()[1].id, CTL_BONE);
  EXPECT_EQ(panel->controlHints()[2].id, CTL_MODE);
  EXPECT_TRUE(panel->unknownHints().empty());
}

TEST_F(PanelActivationTest, SecondActivationRefreshesTheSamePanel) {
  auto n = node(BONE_SERVER);
  host::HostPanel* first = n->openPanel();
  ASSERT_NE(first, nullptr);
  boneRecord(*n).object = A;  // set behind the panel's back

  host.calls().clear();
  EXPECT_EQ(n->openPanel(), first);
  EXPECT_EQ(panelCalls(), std::vector<std::string>{"panel.refresh"});
  EXPECT_EQ(boneRecord(*n).objectNumber, 1);
  EXPECT_EQ(host.panels().size(), 1u);
}

TEST_F(PanelActivationTest, HostVersionThreeIsTooOldAndFourWorks) {
  auto n = node(ITEM_SERVER);
  const host::ServerInfo* server = module().find("NodeInterface", ITEM_SERVER);
  ASSERT_NE(server, nullptr);

  int marker = 0;
  NodeInterfaceRecord record{n->instance(), reinterpret_cast<PanelHandle>(&marker), {&marker, &marker}};
  host.calls().clear();
  EXPECT_EQ(server->activate(3, host::ServiceHost::lookup(), &record, nullptr), 1);
  EXPECT_EQ(host.calls().size(), 0u);
  EXPECT_EQ(record.panel, reinterpret_cast<PanelHandle>(&marker));
  EXPECT_EQ(itemRecord(*n).panel, nullptr);

  EXPECT_EQ(server->activate(4, host::ServiceHost::lookup(), &record, nullptr), 0);
  EXPECT_NE(record.panel, nullptr);
  EXPECT_EQ(record.panel, itemRecord(*n).panel);
  EXPECT_EQ(record.reserved08[0], nullptr);
  EXPECT_EQ(host.calls().count("panel.create"), 1u);
}

TEST_F(PanelActivationTest, MissingPanelServiceFails) {
  auto n = node(ITEM_SERVER);
  host.withhold("LWXPanel");
  EXPECT_EQ(n->openPanel(), nullptr);
  EXPECT_EQ(n->lastPanelResult(), 2);
  EXPECT_EQ(itemRecord(*n).panel, nullptr);
  EXPECT_EQ(host.calls().count("panel."), 0u);
}

TEST_F(PanelActivationTest, MissingItemInfoSucceedsWithoutAPanel) {
  dropItemInfo();
  auto n = node(BONE_SERVER);
  EXPECT_EQ(n->openPanel(), nullptr);
  EXPECT_EQ(n->lastPanelResult(), 0);
  EXPECT_EQ(n->lastPanelRecord().panel, nullptr);
  EXPECT_EQ(n->lastPanelRecord().reserved08[0], nullptr);
  EXPECT_EQ(n->lastPanelRecord().reserved08[1], nullptr);
  EXPECT_EQ(boneRecord(*n).panel, nullptr);
  EXPECT_TRUE(host.panels().empty());
}

TEST_F(PanelActivationTest, DestroyingTheNodeDestroysItsPanel) {
  auto n = node(ITEM_SERVER);
  host::HostPanel* panel = n->openPanel();
  ASSERT_NE(panel, nullptr);
  n->destroy();
  EXPECT_TRUE(panel->destroyed());
}

// A failed activation keeps the services found before: the panel service for
// the panels already open, and the lookup function that the pop-ups' colours
// and the buttons use.
TEST_F(PanelActivationTest, AFailedActivationKeepsTheServicesForPanelsAlreadyOpen) {
  scene.setColor(B, 3);
  auto first = node(ITEM_SERVER), second = node(BONE_SERVER);
  host::HostPanel* panel = first->openPanel();
  ASSERT_NE(panel, nullptr);
  host.withhold("LWXPanel");
  EXPECT_EQ(second->openPanel(), nullptr);
  EXPECT_EQ(second->lastPanelResult(), 2);
  host.restoreAll();
  NodeInterfaceRecord record{second->instance(), nullptr, {nullptr, nullptr}};
  EXPECT_EQ(module().find("NodeInterface", BONE_SERVER)->activate(5, nullptr, &record, nullptr), 2);

  EXPECT_EQ(panel->popupName(CTL_ITEM, 2), "\x03(i:160,155) B");
  panel->set(CTL_ITEM, 2);
  panel->press(CTL_SELECT);
  EXPECT_EQ(scene.selection(), std::vector<ItemId>{B});
  first->destroy();
  EXPECT_TRUE(panel->destroyed());
}

}  // namespace
}  // namespace kv::test
