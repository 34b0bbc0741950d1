// SPDX-License-Identifier: MIT
// Which time and which item a node samples, and the calls that deliver zeros.
#include <string>
#include <vector>

#include "node_fixture.h"
#include "nodes/instance.h"

namespace kv::test {
namespace {

class SamplingTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    // Position (t, 2t, 3t) for t in [0, 10]: the sampled time is the "X" output.
    mover = scene.addObject("Mover");
    scene.setParamKeys(mover, PARAM_POSITION, {{0.0, {0.0, 0.0, 0.0}}, {10.0, {10.0, 20.0, 30.0}}});
    other = scene.addObject("Other");
    scene.setParam(other, PARAM_POSITION, {4.0, 5.0, 6.0});
  }

  ItemId mover = 0;
  ItemId other = 0;
};

TEST_F(SamplingTest, CurrentModeIgnoresTimeInputAndPanelTimeWithoutAskingForThem) {
  auto n = node("KvI_ITEMP");
  select(*n, mover);
  setTime(*n, TM_CUR, 7.0);
  n->connectScalar("Time", 9.0);
  n->newTime(3, 3.0);
  calls().clear();
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(3.0, 6.0, 9.0)));
  EXPECT_DOUBLE_EQ(n->evaluate("Z").scalar, 9.0);
  EXPECT_EQ(calls().count("input.isConnected Time"), 0u);
  EXPECT_EQ(calls().count("input.evaluate Time"), 0u);
  EXPECT_EQ(calls().count("input.isConnected Item"), 2u);
}

TEST_F(SamplingTest, AbsoluteModeSamplesPanelTimeOrTimeInputWhateverTheFrame) {
  auto n = node("KvI_ITEMP");
  select(*n, mover);
  setTime(*n, TM_ABS, 0.0);
  for (double now : {1.0, 2.0, 5.0}) {
    n->newTime(static_cast<int>(now), now);
    EXPECT_TRUE(near3(n->evaluate("Position").vector, ZERO3)) << "at " << now;
  }
  setTime(*n, TM_ABS, 4.0);
  EXPECT_DOUBLE_EQ(n->evaluate("X").scalar, 4.0);

  n->connectScalar("Time", 6.0);
  n->newTime(8, 8.0);
  calls().clear();
  EXPECT_DOUBLE_EQ(n->evaluate("X").scalar, 6.0);
  EXPECT_EQ(calls().matching("input."),
            (std::vector<std::string>{"input.isConnected Item", "input.isConnected Time", "input.evaluate Time"}));
}

TEST_F(SamplingTest, RelativeModeOffsetsTheCurrentTimeInBothFamilies) {
  const ItemId rig = scene.addObject("Rig");
  const ItemId bone = scene.addBone(rig, "Arm", rig);
  scene.setParamKeys(bone, PARAM_POSITION, {{0.0, {0.0, 0.0, 0.0}}, {10.0, {10.0, 20.0, 30.0}}});

  auto item = node("KvI_ITEMP");
  select(*item, mover);
  auto boneNode = node("KvI_BONEP");
  selectBone(*boneNode, bone);
  for (HostNode* n : {item.get(), boneNode.get()}) {
    setTime(*n, TM_REL, -1.0);
    n->newTime(5, 5.0);
    EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(4.0, 8.0, 12.0))) << n->serverName();
    n->connectScalar("Time", 2.5);
    EXPECT_DOUBLE_EQ(n->evaluate("Y").scalar, 15.0) << n->serverName();
  }
}

TEST_F(SamplingTest, AnUnknownModeActsAsAbsolute) {
  auto n = node("KvI_ITEMP");
  select(*n, mover);
  setTime(*n, 7, 2.0);
  n->newTime(5, 5.0);
  EXPECT_DOUBLE_EQ(n->evaluate("X").scalar, 2.0);
  n->connectScalar("Time", 3.0);
  EXPECT_DOUBLE_EQ(n->evaluate("X").scalar, 3.0);
}

TEST_F(SamplingTest, ItemInputOverridesTheSelectionForThatCallOnly) {
  auto n = node("KvI_ITEMP");
  select(*n, mover);
  n->newTime(2, 2.0);
  n->connectInteger("Item", static_cast<std::int32_t>(other));
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(4.0, 5.0, 6.0)));
  EXPECT_EQ(n->usedItems(), std::vector<ItemId>{mover});
  n->disconnect("Item");
  EXPECT_TRUE(near3(n->evaluate("Position").vector, vec(2.0, 4.0, 6.0)));
}

TEST_F(SamplingTest, ItemInputDeliveringZeroGivesZerosDespiteASelection) {
  auto pos = node("KvI_ITEMP");
  auto info = node("KvI_ITEM");
  for (HostNode* n : {pos.get(), info.get()}) {
    select(*n, other);
    n->connectInteger("Item", 0);
    n->newTime(1, 1.0);
    calls().clear();
    for (std::size_t i = 0; i < n->outputs().size(); ++i) {
      const OutputValue v = n->evaluate(i);
      EXPECT_EQ(v.deliveries, 1) << n->outputs()[i].name;
      EXPECT_TRUE(near3(v.vector, ZERO3)) << n->outputs()[i].name;
      EXPECT_EQ(v.scalar, 0.0) << n->outputs()[i].name;
      EXPECT_EQ(v.integer, 0) << n->outputs()[i].name;
    }
    EXPECT_EQ(calls().count("itemInfo."), 0u) << n->serverName();
  }
}

TEST_F(SamplingTest, AForeignOutputHandleGetsZerosAfterTheInputsWereRead) {
  auto pos = node("KvI_ITEMP");
  auto info = node("KvI_BONE");
  auto mx = node("KvI_ITEMMX");
  auto elsewhere = node("KvI_ITEMS");
  const auto foreign = static_cast<OutputHandle>(elsewhere->outputs()[0].handle);
  const ItemId rig = scene.addObject("Rig");
  const ItemId bone = scene.addBone(rig, "Arm", rig);
  select(*pos, mover);
  selectBone(*info, bone);
  select(*mx, mover);
  for (HostNode* n : {pos.get(), info.get(), mx.get()}) {
    setTime(*n, TM_ABS, 5.0);
    n->newTime(1, 1.0);
    calls().clear();
    const OutputValue v = n->evaluateHandle(foreign, CT_VECTOR);
    EXPECT_EQ(v.deliveries, 1) << n->serverName();
    EXPECT_TRUE(near3(v.vector, ZERO3)) << n->serverName();
    const std::vector<std::string> entries = calls().entries();
    ASSERT_GE(entries.size(), 3u) << n->serverName();
    EXPECT_EQ(entries[0], "input.isConnected Item");
    EXPECT_EQ(entries[1], "input.isConnected Time");
    EXPECT_EQ(entries.back().rfind("output.setValue", 0), 0u) << entries.back();
  }
}

TEST_F(SamplingTest, WithoutTheItemInfoServiceEveryOutputOfEveryNodeIsZero) {
  host().setSystemId(SYSTEM_ID_NO_ITEM_INFO);
  const ItemId rig = scene.addObject("Rig");
  const ItemId bone = scene.addBone(rig, "Arm", rig);
  scene.setParam(bone, PARAM_POSITION, {1.0, 2.0, 3.0});
  scene.setRest(bone, PARAM_POSITION, {1.0, 2.0, 3.0});
  for (const std::string& server : nodeServers()) {
    auto n = node(server);
    sample(*n, bone);
    n->newTime(4, 4.0);
    for (std::size_t i = 0; i < n->outputs().size(); ++i) {
      const OutputValue v = n->evaluate(i);
      EXPECT_EQ(v.deliveries, 1) << server << " " << i;
      EXPECT_TRUE(near3(v.vector, ZERO3)) << server << " " << i;
      EXPECT_EQ(v.scalar, 0.0) << server << " " << i;
      EXPECT_EQ(v.integer, 0) << server << " " << i;
    }
  }
  EXPECT_FALSE(calls().contains("lookup LW Item Info 4"));
  EXPECT_EQ(calls().count("itemInfo."), 0u);
  EXPECT_EQ(calls().count("boneInfo."), 0u);
}

}  // namespace
}  // namespace kv::test
