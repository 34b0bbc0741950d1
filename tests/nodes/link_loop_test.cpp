// SPDX-License-Identifier: MIT
// Parent links that loop, as a damaged scene or a faulty host may hand them
// out: every output of every node still ends, once, with finite values, and a
// walk visits a bounded number of items.
#include <cmath>
#include <string>

#include "node_fixture.h"

namespace kv::test {
namespace {

class LinkLoopTest : public NodeTest {
 protected:
  // A turned, scaled, moved item, so that every factor of the walks is at work.
  ItemId addObject(const std::string& name) {
    const ItemId id = scene.addObject(name);
    scene.setParam(id, PARAM_POSITION, {1.0, 2.0, 3.0});
    scene.setParam(id, PARAM_ROTATION, {0.3, 0.2, 0.1});
    scene.setParam(id, PARAM_SCALING, {1.5, 1.5, 1.5});
    scene.setParam(id, PARAM_PIVOT, {0.5, 0.0, 0.0});
    return id;
  }

  // Every output of every kind of the family under `menuGroup`, sampling `item`.
  void expectEveryOutputEnds(const char* menuGroup, ItemId item) {
    for (const std::string& server : nodeServers(menuGroup)) {
      auto n = node(server);
      sample(*n, item);
      n->newTime(0, 0.0);
      for (std::size_t i = 0; i < n->outputs().size(); ++i) {
        const OutputValue v = n->evaluate(i);
        EXPECT_EQ(v.deliveries, 1) << server << " " << i;
        for (double c : v.vector) EXPECT_TRUE(std::isfinite(c)) << server << " " << i;
        EXPECT_TRUE(std::isfinite(v.scalar)) << server << " " << i;
      }
    }
  }

  // The parent calls of one "W Pos" evaluation, whose walk follows every parent.
  std::size_t parentCallsOfWorldPosition(ItemId item) {
    auto n = node("KvI_ITEMWP");
    select(*n, item);
    n->newTime(0, 0.0);
    calls().clear();
    n->evaluate("W Pos");
    return calls().count("itemInfo.parent");
  }
};

TEST_F(LinkLoopTest, TwoItemsParentingEachOtherAndAnItemParentingItself) {
  const ItemId a = addObject("A");
  const ItemId b = addObject("B");
  scene.setParent(a, b);
  scene.setParent(b, a);
  const ItemId self = addObject("Self");
  scene.setParent(self, self);

  expectEveryOutputEnds(ITEM_MENU_GROUP, a);
  expectEveryOutputEnds(ITEM_MENU_GROUP, self);
  EXPECT_LE(parentCallsOfWorldPosition(a), 2u * 4);
  EXPECT_LE(parentCallsOfWorldPosition(self), 4u);
}

TEST_F(LinkLoopTest, BonesParentingEachOther) {
  const ItemId rig = addObject("Rig");
  const ItemId upper = scene.addBone(rig, "Upper", rig);
  const ItemId lower = scene.addBone(rig, "Lower", upper);
  scene.setParam(lower, PARAM_ROTATION, {0.4, 0.0, 0.0});
  scene.setParent(upper, lower);
  expectEveryOutputEnds(BONE_MENU_GROUP, lower);
}

// A chain of three items leading into a loop of five that does not come back
// to the first: the walk stops within four visits per distinct item.
TEST_F(LinkLoopTest, AChainRunningIntoALoopVisitsABoundedNumberOfItems) {
  ItemId chain[8];
  for (int i = 0; i < 8; ++i) chain[i] = addObject("L" + std::to_string(i));
  for (int i = 0; i < 7; ++i) scene.setParent(chain[i], chain[i + 1]);
  scene.setParent(chain[7], chain[3]);

  expectEveryOutputEnds(ITEM_MENU_GROUP, chain[0]);
  const std::size_t calls = parentCallsOfWorldPosition(chain[0]);
  EXPECT_GE(calls, 8u);
  EXPECT_LE(calls, 8u * 4);
}

}  // namespace
}  // namespace kv::test
