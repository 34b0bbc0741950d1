// SPDX-License-Identifier: MIT
// "Item Info" and "Bone Info": every output, the bone-only ones, and the caches
// that let one time step walk each chain once.
#include <cmath>
#include <string>
#include <vector>

#include "node_fixture.h"
#include "nodes/instance.h"

namespace kv::test {
namespace {

class InfoTest : public TurnedChildTest {
 protected:
  std::unique_ptr<HostNode> infoOf(ItemId item) {
    auto n = node("KvI_ITEM");
    select(*n, item);
    n->newTime(0, 0.0);
    return n;
  }
};

TEST_F(InfoTest, ItemInfoDeliversEveryOutput) {
  auto n = infoOf(child);
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(1.0, 0.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("Rotation").vector, ZERO3));
  EXPECT_TRUE(near3(n->evaluate("Scale").vector, vec(1.0, 1.0, 1.0)));
  EXPECT_TRUE(near3(n->evaluate("W Pos").vector, vec(0.0, 0.0, 4.0)));
  EXPECT_TRUE(near3(n->evaluate("W Rot").vector, vec(PI / 2, 0.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("Right").vector, vec(0.0, 0.0, -1.0)));
  EXPECT_TRUE(near3(n->evaluate("Up").vector, vec(0.0, 1.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("Forward").vector, vec(1.0, 0.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("W Rgt").vector, vec(0.0, 0.0, 1.0)));
  EXPECT_TRUE(near3(n->evaluate("W Up").vector, vec(0.0, 1.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("W Fwd").vector, vec(-1.0, 0.0, 0.0)));
  EXPECT_TRUE(near3(n->evaluate("pivotPos").vector, ZERO3));
  EXPECT_TRUE(near3(n->evaluate("pivotRot").vector, ZERO3));
  EXPECT_EQ(n->evaluate("Parent").integer, static_cast<std::int32_t>(root));
  EXPECT_EQ(n->evaluate("Item").integer, static_cast<std::int32_t>(child));
  EXPECT_EQ(infoOf(root)->evaluate("Parent").integer, 0);

  for (std::size_t i = 0; i < n->outputs().size(); ++i) EXPECT_EQ(n->evaluate(i).deliveries, 1) << i;
}

TEST_F(InfoTest, PivotsAreSampledAtTimeZeroAndRoundedWithBias) {
  const ItemId pivoted = scene.addObject("Pivoted");
  scene.setParamKeys(pivoted, PARAM_PIVOT, {{0.0, {1.0, 2.0, 3.0}}, {10.0, {11.0, 12.0, 13.0}}});
  scene.setParamKeys(pivoted, PARAM_PIVOT_ROTATION, {{0.0, {1.0, PI / 2, PI / 6}}, {10.0, {2.0, 2.0, 2.0}}});
  auto n = infoOf(pivoted);
  for (std::int32_t mode : {TM_CUR, TM_ABS, TM_REL}) {
    setTime(*n, mode, 5.0);
    n->newTime(7, 7.0);
    EXPECT_TRUE(near3(n->evaluate("pivotPos").vector, vec(1.0, 2.0, 3.0), 0.0)) << mode;
    EXPECT_EQ(n->evaluate("pivotRot").vector, vec(1.000000078251832, 1.5707964599529511, 0.5235987755982988));
    n->connectScalar("Time", 10.0);
    EXPECT_TRUE(near3(n->evaluate("pivotPos").vector, vec(1.0, 2.0, 3.0), 0.0)) << mode;
    n->disconnect("Time");
  }
}

TEST_F(InfoTest, RotationIsRoundedWithoutBiasAndWorldRotationNotAtAll) {
  const ItemId upper = scene.addObject("Upper");
  scene.setParam(upper, PARAM_ROTATION, {1.0, 0.0, 0.0});
  const ItemId lower = scene.addObject("Lower", upper);
  scene.setParam(lower, PARAM_ROTATION, {1.0, 0.5, -0.25});
  auto n = infoOf(lower);
  EXPECT_EQ(n->evaluate("Rotation").vector, vec(0.9999999450937774, 0.4999999725468887, -0.24999998627344436));
  scene.setParam(lower, PARAM_ROTATION, {1.0, 0.0, 0.0});
  n->newTime(1, 0.0);
  // Two rounded headings of 1.0, not rounded again.
  EXPECT_NEAR(n->evaluate("W Rot").vector[0], 2 * 0.9999999450937774, 1e-13);
}

class BoneInfoTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    rig = scene.addObject("Rig");
    scene.setParam(rig, PARAM_POSITION, {0.0, 1.0, 0.0});
    scene.addBone(rig, "Spare", rig);  // so that the next bone carries a serial in bits 16..27
    bone = scene.addBone(rig, "Arm", rig);
    scene.setParam(bone, PARAM_POSITION, {0.0, 0.0, 2.0});
    scene.setRest(bone, PARAM_POSITION, {1.0, 2.0, 3.0});
    scene.setRest(bone, PARAM_ROTATION, {1.0, PI / 2, PI / 6});
    n = node("KvI_BONE");
    selectBone(*n, bone);
    n->newTime(0, 0.0);
  }

  BoneInfoInstance& record() { return *reinterpret_cast<BoneInfoInstance*>(n->instance()); }

  ItemId rig = 0;
  ItemId bone = 0;
  std::unique_ptr<HostNode> n;
};

TEST_F(BoneInfoTest, BoneInfoAddsRestValuesAndTheOwner) {
  ASSERT_NE(bone & 0x0FFF0000u, 0u);
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(0.0, 0.0, 2.0)));
  EXPECT_TRUE(near3(n->evaluate("W Pos").vector, vec(0.0, 1.0, 2.0)));
  EXPECT_TRUE(near3(n->evaluate("restPos").vector, vec(1.0, 2.0, 3.0), 0.0));
  EXPECT_EQ(n->evaluate("restRot").vector, vec(1.000000078251832, 1.5707964599529511, 0.5235987755982988));
  EXPECT_EQ(n->evaluate("Parent").integer, static_cast<std::int32_t>(rig));
  EXPECT_EQ(n->evaluate("Owner").integer, static_cast<std::int32_t>(rig));
  EXPECT_EQ(n->evaluate("Item").integer, static_cast<std::int32_t>(bone));
  EXPECT_NE(record().cacheFlags.load() & CACHE_RESTROT, 0u);
}

TEST_F(BoneInfoTest, BoneOnlyOutputsAreZeroForOtherItems) {
  const ItemId light = scene.addLight("Lamp");
  for (ItemId item : {rig, light}) {
    n->connectInteger("Item", static_cast<std::int32_t>(item));
    n->newTime(1, 1.0);
    EXPECT_TRUE(near3(n->evaluate("restPos").vector, ZERO3, 0.0));
    EXPECT_TRUE(near3(n->evaluate("restRot").vector, ZERO3, 0.0));
    EXPECT_EQ(n->evaluate("Owner").integer, 0);
    EXPECT_EQ(n->evaluate("Item").integer, static_cast<std::int32_t>(item));
    EXPECT_EQ(record().cacheFlags.load() & CACHE_RESTROT, 0u);
  }
  EXPECT_EQ(calls().count("boneInfo."), 0u);
}

TEST_F(BoneInfoTest, RestRotationIsFetchedOncePerTimeStep) {
  calls().clear();
  n->evaluate("restRot");
  scene.setRest(bone, PARAM_ROTATION, {0.0, 0.0, 0.0});
  EXPECT_EQ(n->evaluate("restRot").vector[0], 1.000000078251832);
  EXPECT_EQ(calls().count("boneInfo.restParam " + host::hexId(bone) + " 5"), 1u);
  n->newTime(1, 0.0);
  EXPECT_TRUE(near3(n->evaluate("restRot").vector, ZERO3, 0.0));
  EXPECT_EQ(calls().count("boneInfo.restParam " + host::hexId(bone) + " 5"), 2u);
  // The rest position is asked for on every request.
  n->evaluate("restPos");
  n->evaluate("restPos");
  EXPECT_EQ(calls().count("boneInfo.restParam " + host::hexId(bone) + " 1"), 2u);
}

// A chain of three objects, each moved, turned, scaled and pivoted, so that
// every walk asks for every code.
class InfoCostTest : public InfoTest {
 protected:
  void SetUp() override {
    InfoTest::SetUp();
    top = scene.addObject("Top");
    middle = scene.addObject("Middle", top);
    bottom = scene.addObject("Bottom", middle);
    for (ItemId id : {top, middle, bottom}) {
      scene.setParam(id, PARAM_POSITION, {1.0, 2.0, 3.0});
      scene.setParam(id, PARAM_ROTATION, {0.1, 0.2, 0.3});
      scene.setParam(id, PARAM_SCALING, {1.5, 1.5, 1.5});
      scene.setParam(id, PARAM_PIVOT, {0.5, 0.5, 0.5});
      scene.setParam(id, PARAM_PIVOT_ROTATION, {0.3, 0.2, 0.1});
    }
  }

  // Entries "itemInfo.param XXXXXXXX <code> <time>" with this code.
  std::size_t countCode(int code) {
    const std::string wanted = std::to_string(code) + " ";
    std::size_t n = 0;
    for (const std::string& entry : calls().matching("itemInfo.param ")) {
      if (entry.compare(24, wanted.size(), wanted) == 0) ++n;
    }
    return n;
  }

  ItemId top = 0, middle = 0, bottom = 0;
};

TEST_F(InfoCostTest, EveryOutputOfAStepWalksEachChainOnce) {
  auto n = infoOf(bottom);
  for (int step = 1; step <= 2; ++step) {
    n->newTime(step, step);
    calls().clear();
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < n->outputs().size(); ++i) n->evaluate(i);
    }
    // Three items per walk; requests of Position, Rotation, Scale, pivotPos,
    // pivotRot and Parent ask the host every time (two passes).
    EXPECT_EQ(countCode(PARAM_POSITION), 3u + 2u);  // world walk, Position
    EXPECT_EQ(countCode(PARAM_ROTATION), 3u * 3u + 2u);
    EXPECT_EQ(countCode(PARAM_SCALING), 3u * 3u + 2u);
    EXPECT_EQ(countCode(PARAM_PIVOT), 2u + 2u);  // the world walk's two ancestors, pivotPos
    EXPECT_EQ(countCode(PARAM_PIVOT_ROTATION), 3u * 3u + 2u);
    EXPECT_EQ(calls().count("itemInfo.parent "), 3u * 3u + 2u);
    EXPECT_EQ(calls().count("input.isConnected Item"), 2 * n->outputs().size());
    EXPECT_EQ(calls().count("output.setValue"), 2 * n->outputs().size());
  }
}

TEST_F(InfoCostTest, RightAndWorldRotationShareOneOrientationWalk) {
  auto n = infoOf(bottom);
  for (const auto& order : {std::vector<std::string>{"Right", "W Rot"}, std::vector<std::string>{"W Rot", "Up"}}) {
    n->newTime(1, 1.0);
    calls().clear();
    for (const std::string& output : order) n->evaluate(output);
    EXPECT_EQ(countCode(PARAM_SCALING), 3u) << order[0];
  }
}

TEST_F(InfoTest, ACachedValueServesTheRestOfTheStepWhateverItSamples) {
  const ItemId mover = scene.addObject("Mover");
  scene.setParamKeys(mover, PARAM_POSITION, {{0.0, {0.0, 0.0, 0.0}}, {10.0, {10.0, 20.0, 30.0}}});
  scene.setParamKeys(mover, PARAM_ROTATION, {{0.0, {0.0, 0.0, 0.0}}, {10.0, {1.0, 0.0, 0.0}}});
  auto n = infoOf(mover);
  setTime(*n, TM_ABS, 0.0);
  n->connectScalar("Time", 2.0);
  n->newTime(1, 1.0);
  const std::vector<std::string> cached{"W Pos", "W Rot", "Right", "W Rgt"};
  std::vector<OutputValue> first;
  for (const std::string& output : cached) first.push_back(n->evaluate(output));
  EXPECT_TRUE(near3(first[0].vector, vec(2.0, 4.0, 6.0)));

  n->connectScalar("Time", 6.0);
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(6.0, 12.0, 18.0)));
  n->connectInteger("Item", static_cast<std::int32_t>(child));
  EXPECT_EQ(n->evaluate("Item").integer, static_cast<std::int32_t>(child));
  for (std::size_t i = 0; i < cached.size(); ++i) {
    EXPECT_EQ(n->evaluate(cached[i]).vector, first[i].vector) << cached[i];
  }

  n->disconnect("Item");
  n->newTime(2, 2.0);
  EXPECT_TRUE(near3(n->evaluate("W Pos").vector, vec(6.0, 12.0, 18.0)));
  EXPECT_NE(n->evaluate("W Rot").vector, first[1].vector);
}

}  // namespace
}  // namespace kv::test
