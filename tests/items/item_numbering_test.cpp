// SPDX-License-Identifier: MIT
// List numbers of scene items and their inverse, over the substitute host's scene.
#include "items/item_numbering.h"

#include <gtest/gtest.h>

#include <string>

#include "host/host.h"

namespace kv::host {
namespace {

class Numbering : public ::testing::Test {
 protected:
  Scene scene;
  ServiceHost host{scene};
  const ItemInfoService* info = &itemInfoTable();
};

TEST_F(Numbering, ObjectsThenLightsThenCamerasWithOneRunningCount) {
  const ItemId a = scene.addObject("A"), b = scene.addObject("B"), c = scene.addObject("C");
  const ItemId l1 = scene.addLight("L1"), l2 = scene.addLight("L2");
  const ItemId k = scene.addCamera("K");
  scene.addBone(a, "bone");  // bones are not in the item list
  const ItemId expected[] = {a, b, c, l1, l2, k};
  for (int n = 1; n <= 6; ++n) {
    EXPECT_EQ(itemNumber(info, expected[n - 1]), n);
    EXPECT_EQ(itemByNumber(info, n, 0), expected[n - 1]);
  }
  EXPECT_EQ(itemByNumber(info, 7, 0), 0u);
  EXPECT_EQ(itemByNumber(info, -1, 0), 0u);
  EXPECT_EQ(itemByNumber(info, 0, 0), 0u);
  EXPECT_EQ(itemNumber(info, 0), 0);
  EXPECT_EQ(itemNumber(info, 0x50000001), 0);  // no such item type
  scene.remove(l2);
  EXPECT_EQ(itemNumber(info, l2), 0);
  EXPECT_EQ(itemNumber(info, k), 5);
  scene.insertBefore(c, a);
  EXPECT_EQ(itemNumber(info, a), 2);
}

TEST_F(Numbering, WithoutObjectsTheFirstLightIsNumberOne) {
  const ItemId l = scene.addLight("L");
  const ItemId k = scene.addCamera("K");
  EXPECT_EQ(itemNumber(info, l), 1);
  EXPECT_EQ(itemNumber(info, k), 2);
  EXPECT_EQ(itemByNumber(info, 2, 0), k);
}

TEST_F(Numbering, BonesAreNumberedAmongTheirOwnersBones) {
  const ItemId a = scene.addObject("A"), b = scene.addObject("B");
  const ItemId a1 = scene.addBone(a, "a1");
  scene.addBone(b, "b1");
  scene.addBone(b, "b2");
  const ItemId a2 = scene.addBone(a, "a2");
  EXPECT_EQ(itemNumber(info, a1), 1);
  EXPECT_EQ(itemNumber(info, a2), 2);
  EXPECT_EQ(itemByNumber(info, 2, a), a2);
  EXPECT_EQ(itemByNumber(info, 3, a), 0u);
  EXPECT_EQ(itemByNumber(info, 0, a), 0u);
}

// A loop onto the last of many objects is seen long after its first repeat;
// the light after them keeps its number all the same. Ending in 0, the list
// costs only the walk to the entry.
TEST_F(Numbering, ALongObjectListLoopingOntoItsLastKeepsTheNumbersAfterIt) {
  constexpr int OBJECTS = 1030;
  ItemId last = 0;
  for (int i = 0; i < OBJECTS; ++i) last = scene.addObject("O" + std::to_string(i));
  const ItemId light = scene.addLight("L");
  host.calls().clear();
  EXPECT_EQ(itemByNumber(info, OBJECTS, 0), last);
  EXPECT_EQ(host.calls().count("itemInfo.first"), 1u);
  EXPECT_EQ(host.calls().count("itemInfo.next"), OBJECTS - 1u);
  scene.loopListBackTo(last);
  EXPECT_EQ(itemByNumber(info, OBJECTS, 0), last);
  EXPECT_EQ(itemByNumber(info, OBJECTS + 1, 0), light);
  EXPECT_EQ(itemNumber(info, light), OBJECTS + 1);
  EXPECT_EQ(itemByNumber(info, OBJECTS + 2, 0), 0u);
}

TEST_F(Numbering, WithoutTheItemInfoServiceThereIsNoList) {
  const ItemId a = scene.addObject("A");
  EXPECT_EQ(itemNumber(nullptr, a), 0);
  EXPECT_EQ(itemByNumber(nullptr, 1, 0), 0u);
}

TEST_F(Numbering, RemapReplacesOnlyListedReferencesAndCountsThem) {
  const ItemId a = scene.addObject("A"), b = scene.addObject("B"), c = scene.addObject("C");
  ItemId ids[2] = {a, c};
  std::int32_t numbers[2] = {-5, -5};
  const ItemRef refs[] = {{ids[0], numbers[0]}, {ids[1], numbers[1]}};
  const ItemId changes[] = {a, b, 0, 0};
  EXPECT_EQ(remapItemIds(info, refs, changes), 1);
  EXPECT_EQ(ids[0], b);
  EXPECT_EQ(numbers[0], 2);
  EXPECT_EQ(ids[1], c);
  EXPECT_EQ(numbers[1], -5);

  const ItemId both[] = {b, c, c, 0, 0, 0};
  EXPECT_EQ(remapItemIds(info, refs, both), 2);
  EXPECT_EQ(ids[0], c);  // matched on its own old value only, not chained
  EXPECT_EQ(numbers[0], 3);
  EXPECT_EQ(ids[1], 0u);
  EXPECT_EQ(numbers[1], 0);

  const ItemId empty[] = {0, 0};
  EXPECT_EQ(remapItemIds(info, refs, empty), 0);
  EXPECT_EQ(remapItemIds(info, refs, nullptr), 0);
  EXPECT_EQ(ids[0], c);
}

}  // namespace
}  // namespace kv::host
