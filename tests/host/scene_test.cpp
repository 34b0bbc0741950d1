// SPDX-License-Identifier: MIT
#include "host/scene.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

namespace kv::host {
namespace {

std::vector<ItemId> walk(const Scene& scene, int type, ItemId owner = 0) {
  std::vector<ItemId> found;
  for (ItemId id = scene.first(type, owner); id != 0; id = scene.next(id)) found.push_back(id);
  return found;
}

TEST(SceneTest, IdentifiersFollowTheHostLayout) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  const ItemId b = scene.addObject("B");
  const ItemId light = scene.addLight("L");
  const ItemId camera = scene.addCamera("K");
  EXPECT_EQ(a, 0x10000001u);
  EXPECT_EQ(b, 0x10000002u);
  EXPECT_EQ(light >> 28, 2u);
  EXPECT_EQ(camera >> 28, 3u);
  EXPECT_EQ(itemTypeOf(a), IT_OBJECT);
  EXPECT_EQ(itemTypeOf(light), IT_LIGHT);
  EXPECT_EQ(itemTypeOf(camera), IT_CAMERA);
  EXPECT_EQ(itemTypeOf(0x50000001), -1);

  const ItemId boneOfB1 = scene.addBone(b, "b1");
  const ItemId boneOfA = scene.addBone(a, "a1");
  const ItemId boneOfB2 = scene.addBone(b, "b2", boneOfB1);
  for (ItemId bone : {boneOfB1, boneOfA, boneOfB2}) {
    EXPECT_EQ(bone >> 28, 4u);
    EXPECT_EQ(itemTypeOf(bone), IT_BONE);
  }
  // The owner is recoverable from the low 16 bits alone.
  EXPECT_EQ(boneOwner(boneOfB1), b);
  EXPECT_EQ(boneOwner(boneOfB2), b);
  EXPECT_EQ(boneOwner(boneOfA), a);
  EXPECT_NE(boneOfB1, boneOfB2);
  EXPECT_EQ(scene.parent(boneOfB2), boneOfB1);
  EXPECT_THROW(scene.addBone(light, "x"), std::invalid_argument);
  EXPECT_THROW(scene.addBone(0x10000099, "x"), std::invalid_argument);
}

TEST(SceneTest, ObjectValuesAreNeverReused) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  scene.remove(a);
  const ItemId b = scene.addObject("B");
  EXPECT_EQ(b, 0x10000002u);
  EXPECT_FALSE(scene.contains(a));
}

TEST(SceneTest, ListsKeepCreationOrderWithInsertAndRemove) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  const ItemId b = scene.addObject("B");
  const ItemId c = scene.addObject("C");
  const ItemId l1 = scene.addLight("L1");
  const ItemId l2 = scene.addLight("L2");
  EXPECT_EQ(walk(scene, IT_OBJECT), (std::vector<ItemId>{a, b, c}));
  EXPECT_EQ(walk(scene, IT_LIGHT), (std::vector<ItemId>{l1, l2}));
  EXPECT_EQ(walk(scene, IT_CAMERA), std::vector<ItemId>{});

  const ItemId d = scene.addObject("D");
  scene.insertBefore(d, b);
  EXPECT_EQ(walk(scene, IT_OBJECT), (std::vector<ItemId>{a, d, b, c}));
  scene.insertBefore(a, c);
  EXPECT_EQ(walk(scene, IT_OBJECT), (std::vector<ItemId>{d, b, a, c}));
  EXPECT_THROW(scene.insertBefore(l1, b), std::invalid_argument);

  scene.remove(b);
  EXPECT_EQ(walk(scene, IT_OBJECT), (std::vector<ItemId>{d, a, c}));
  EXPECT_EQ(scene.next(b), 0u);
  EXPECT_EQ(scene.name(b), nullptr);
  scene.remove(l1);
  EXPECT_EQ(walk(scene, IT_LIGHT), (std::vector<ItemId>{l2}));
  EXPECT_THROW(scene.remove(l1), std::out_of_range);
}

TEST(SceneTest, BoneListsArePerOwnerAndGoWithTheOwner) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  const ItemId b = scene.addObject("B");
  const ItemId a1 = scene.addBone(a, "a1");
  const ItemId b1 = scene.addBone(b, "b1");
  const ItemId a2 = scene.addBone(a, "a2");
  EXPECT_EQ(walk(scene, IT_BONE, a), (std::vector<ItemId>{a1, a2}));
  EXPECT_EQ(walk(scene, IT_BONE, b), (std::vector<ItemId>{b1}));
  EXPECT_EQ(scene.first(IT_BONE, 0), 0u);

  const ItemId a3 = scene.addBone(a, "a3");
  scene.insertBefore(a3, a1);
  EXPECT_EQ(walk(scene, IT_BONE, a), (std::vector<ItemId>{a3, a1, a2}));
  EXPECT_THROW(scene.insertBefore(b1, a1), std::invalid_argument);

  scene.select({a2, b1});
  scene.remove(a);
  EXPECT_FALSE(scene.contains(a1));
  EXPECT_FALSE(scene.contains(a2));
  EXPECT_EQ(scene.first(IT_BONE, a), 0u);
  EXPECT_EQ(walk(scene, IT_BONE, b), (std::vector<ItemId>{b1}));
  // Removed items leave the selection; the terminator stays.
  EXPECT_EQ(scene.selection(), (std::vector<ItemId>{b1}));
  EXPECT_EQ(scene.selectedItems()[0], b1);
  EXPECT_EQ(scene.selectedItems()[1], 0u);
}

TEST(SceneTest, KeyedChannelsInterpolateLinearlyAndHoldOutside) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  // Given out of order on purpose.
  scene.setParamKeys(a, PARAM_POSITION, {{2.0, {10.0, -4.0, 1.0}}, {0.0, {0.0, 0.0, 1.0}}, {3.0, {10.0, 2.0, 1.0}}});
  const auto at = [&](double t) { return scene.param(a, PARAM_POSITION, t); };
  EXPECT_EQ(at(-5.0), (Triple{0.0, 0.0, 1.0}));
  EXPECT_EQ(at(0.0), (Triple{0.0, 0.0, 1.0}));
  EXPECT_EQ(at(0.5), (Triple{2.5, -1.0, 1.0}));
  EXPECT_EQ(at(2.0), (Triple{10.0, -4.0, 1.0}));
  EXPECT_EQ(at(2.5), (Triple{10.0, -1.0, 1.0}));
  EXPECT_EQ(at(9.0), (Triple{10.0, 2.0, 1.0}));
  // A NaN time (a host may pass one through) holds the first key rather than reading past the last.
  EXPECT_EQ(at(std::numeric_limits<double>::quiet_NaN()), (Triple{0.0, 0.0, 1.0}));

  scene.setParamKeys(a, PARAM_ROTATION, {{1.0, {0.5, 0.25, 0.125}}});
  EXPECT_EQ(scene.param(a, PARAM_ROTATION, -1.0), (Triple{0.5, 0.25, 0.125}));
  EXPECT_EQ(scene.param(a, PARAM_ROTATION, 7.0), (Triple{0.5, 0.25, 0.125}));
  // A constant replaces the keys.
  scene.setParam(a, PARAM_ROTATION, {1.0, 2.0, 3.0});
  EXPECT_EQ(scene.param(a, PARAM_ROTATION, 1.0), (Triple{1.0, 2.0, 3.0}));
}

TEST(SceneTest, DefaultsAndUnknownsAnswerLikeTheHost) {
  Scene scene;
  const ItemId a = scene.addObject("A");
  EXPECT_EQ(scene.param(a, PARAM_SCALING, 0.0), (Triple{1.0, 1.0, 1.0}));
  for (int code : {PARAM_POSITION, PARAM_ROTATION, PARAM_PIVOT, PARAM_PIVOT_ROTATION}) {
    EXPECT_EQ(scene.param(a, code, 3.0), (Triple{})) << code;
  }
  EXPECT_EQ(scene.param(a, 2, 0.0), (Triple{}));
  EXPECT_EQ(scene.param(0x10000042, PARAM_SCALING, 0.0), (Triple{}));
  EXPECT_THROW(scene.setParam(a, 2, {}), std::invalid_argument);
  EXPECT_THROW(scene.setParam(0x10000042, PARAM_POSITION, {}), std::out_of_range);

  const ItemId bone = scene.addBone(a, "bone");
  scene.setRest(bone, PARAM_POSITION, {1.0, 2.0, 3.0});
  scene.setRest(bone, PARAM_ROTATION, {0.1, 0.2, 0.3});
  EXPECT_EQ(scene.rest(bone, PARAM_POSITION), (Triple{1.0, 2.0, 3.0}));
  EXPECT_EQ(scene.rest(bone, PARAM_ROTATION), (Triple{0.1, 0.2, 0.3}));
  EXPECT_EQ(scene.rest(bone, PARAM_SCALING), (Triple{}));
  EXPECT_EQ(scene.rest(a, PARAM_POSITION), (Triple{}));

  scene.rename(a, "Cube");
  scene.setColor(a, 3);
  EXPECT_STREQ(scene.name(a), "Cube");
  EXPECT_EQ(scene.color(a), 3u);
  EXPECT_EQ(scene.color(0x10000042), 0u);
  EXPECT_EQ(scene.parent(0x10000042), 0u);
}

}  // namespace
}  // namespace kv::host
