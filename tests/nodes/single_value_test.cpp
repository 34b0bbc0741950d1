// SPDX-License-Identifier: MIT
// The single-value nodes of both families, and one value of every kind, on
// hierarchies whose answers are known in closed form.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "node_fixture.h"

namespace kv::test {
namespace {

class SingleValueTest : public TurnedChildTest {
 protected:
  // A node of `server` sampling `item` at time 0.
  std::unique_ptr<HostNode> sampling(const std::string& server, ItemId item) {
    auto n = node(server);
    sample(*n, item);
    n->newTime(0, 0.0);
    return n;
  }

  // The three rows of a matrix node, each delivered exactly once.
  static std::vector<std::array<double, 3>> rows(const HostNode& n) {
    std::vector<std::array<double, 3>> found;
    for (std::size_t i = 0; i < 3; ++i) {
      const OutputValue v = n.evaluate(i);
      EXPECT_EQ(v.deliveries, 1);
      found.push_back(v.vector);
    }
    return found;
  }
};

TEST_F(SingleValueTest, WorldPositionFollowsTheParentsTurnAndPivot) {
  auto n = sampling("KvI_ITEMWP", child);
  EXPECT_TRUE(near3(n->evaluate("W Pos").vector, vec(0.0, 0.0, 4.0)));
  EXPECT_NEAR(n->evaluate("X").scalar, 0.0, 1e-12);
  EXPECT_NEAR(n->evaluate("Z").scalar, 4.0, 1e-12);

  scene.setParam(root, PARAM_PIVOT, {1.0, 0.0, 0.0});
  EXPECT_TRUE(near3(n->evaluate("W Pos").vector, vec(0.0, 0.0, 5.0)));
  // A root's own pivot does not move it.
  auto r = sampling("KvI_ITEMWP", root);
  EXPECT_TRUE(near3(r->evaluate("W Pos").vector, vec(0.0, 0.0, 5.0)));
}

TEST_F(SingleValueTest, OrientationAndAxesRowsAreTheItemsAxesAndTheirInverse) {
  EXPECT_TRUE(near3(sampling("KvI_ITEMWR", child)->evaluate("W Rot").vector, vec(PI / 2, 0.0, 0.0)));
  EXPECT_NEAR(sampling("KvI_ITEMWR", child)->evaluate("H").scalar, PI / 2, 1e-12);

  const auto mx = rows(*sampling("KvI_ITEMMX", child));
  EXPECT_TRUE(near3(mx[0], vec(0.0, 0.0, -1.0)));
  EXPECT_TRUE(near3(mx[1], vec(0.0, 1.0, 0.0)));
  EXPECT_TRUE(near3(mx[2], vec(1.0, 0.0, 0.0)));
  const auto mxw = rows(*sampling("KvI_ITEMMW", child));
  EXPECT_TRUE(near3(mxw[0], vec(0.0, 0.0, 1.0)));
  EXPECT_TRUE(near3(mxw[1], vec(0.0, 1.0, 0.0)));
  EXPECT_TRUE(near3(mxw[2], vec(-1.0, 0.0, 0.0)));
}

TEST_F(SingleValueTest, ScaleEntersTheRowsButNotForCameras) {
  const ItemId scaled = scene.addObject("Scaled");
  scene.setParam(scaled, PARAM_SCALING, {2.0, 4.0, 8.0});
  const ItemId camera = scene.addCamera("Camera");
  scene.setParam(camera, PARAM_SCALING, {2.0, 2.0, 2.0});

  auto scl = sampling("KvI_ITEMS", scaled);
  EXPECT_TRUE(near3(scl->evaluate("Scale").vector, vec(2.0, 4.0, 8.0)));
  EXPECT_EQ(scl->evaluate("Y").scalar, 4.0);
  const auto mx = rows(*sampling("KvI_ITEMMX", scaled));
  const auto mxw = rows(*sampling("KvI_ITEMMW", scaled));
  for (int i = 0; i < 3; ++i) {
    std::array<double, 3> axis{}, inverse{};
    axis[i] = std::array{2.0, 4.0, 8.0}[i];
    inverse[i] = 1.0 / axis[i];
    EXPECT_TRUE(near3(mx[i], axis)) << i;
    EXPECT_TRUE(near3(mxw[i], inverse)) << i;
  }

  // The camera's own scale is still its Scale output.
  EXPECT_TRUE(near3(sampling("KvI_ITEMS", camera)->evaluate("Scale").vector, vec(2.0, 2.0, 2.0)));
  calls().clear();
  const auto cmx = rows(*sampling("KvI_ITEMMX", camera));
  const auto cmxw = rows(*sampling("KvI_ITEMMW", camera));
  for (int i = 0; i < 3; ++i) {
    std::array<double, 3> unit{};
    unit[i] = 1.0;
    EXPECT_TRUE(near3(cmx[i], unit)) << i;
    EXPECT_TRUE(near3(cmxw[i], unit)) << i;
  }
  EXPECT_EQ(calls().count("itemInfo.param " + host::hexId(camera) + " 6 "), 0u);
}

TEST_F(SingleValueTest, RotationIsRoundedWithoutBiasAndWorldRotationNotAtAll) {
  const ItemId turned = scene.addObject("Turned");
  scene.setParam(turned, PARAM_ROTATION, {1.0, 0.5, -0.25});
  auto rot = sampling("KvI_ITEMR", turned);
  // Each angle through single-precision degrees.
  const std::array<double, 3> rounded{0.9999999450937774, 0.4999999725468887, -0.24999998627344436};
  EXPECT_EQ(rot->evaluate("Rotation").vector, rounded);
  EXPECT_EQ(rot->evaluate("H").scalar, rounded[0]);
  EXPECT_EQ(rot->evaluate("P").scalar, rounded[1]);
  EXPECT_EQ(rot->evaluate("B").scalar, rounded[2]);

  // Two headings of 1.0 compose to twice the rounded heading; rounding that sum
  // again would move it by a visible amount.
  const ItemId upper = scene.addObject("Upper");
  scene.setParam(upper, PARAM_ROTATION, {1.0, 0.0, 0.0});
  const ItemId lower = scene.addObject("Lower", upper);
  scene.setParam(lower, PARAM_ROTATION, {1.0, 0.0, 0.0});
  const double heading = 2 * rounded[0];
  const float degrees = static_cast<float>(static_cast<float>(heading) * 180.0f / 3.14159265f);
  ASSERT_GT(std::abs(degrees * 0.017453292519943295 - heading), 1e-9);
  const double worldHeading = sampling("KvI_ITEMWR", lower)->evaluate("H").scalar;
  EXPECT_NEAR(worldHeading, heading, 1e-13);
}

TEST_F(SingleValueTest, BoneNodesSampleTheBoneOrWhatTheItemInputNames) {
  const ItemId rig = scene.addObject("Rig");
  scene.setParam(rig, PARAM_POSITION, {0.0, 1.0, 0.0});
  scene.setParam(rig, PARAM_SCALING, {2.0, 2.0, 2.0});
  const ItemId bone = scene.addBone(rig, "Arm", rig);
  scene.setParam(bone, PARAM_POSITION, {0.0, 0.0, 2.0});
  scene.setParam(bone, PARAM_ROTATION, {0.0, PI / 2, 0.0});

  auto wpos = sampling("KvI_BONEWP", bone);
  EXPECT_TRUE(near3(wpos->evaluate("W Pos").vector, vec(0.0, 1.0, 4.0)));
  EXPECT_TRUE(near3(sampling("KvI_BONEP", bone)->evaluate("Position").vector, vec(0.0, 0.0, 2.0)));
  EXPECT_TRUE(near3(sampling("KvI_BONER", bone)->evaluate("Rotation").vector, vec(0.0, PI / 2, 0.0)));
  EXPECT_TRUE(near3(sampling("KvI_BONES", bone)->evaluate("Scale").vector, vec(1.0, 1.0, 1.0)));
  // Pitch pi/2 turns forward down to -Y and up to +Z; the rig doubles both.
  const auto mx = rows(*sampling("KvI_BONEMX", bone));
  EXPECT_TRUE(near3(mx[1], vec(0.0, 0.0, 2.0)));
  EXPECT_TRUE(near3(mx[2], vec(0.0, -2.0, 0.0)));
  const auto mxw = rows(*sampling("KvI_BONEMW", bone));
  EXPECT_TRUE(near3(mxw[1], vec(0.0, 0.0, -0.5)));
  EXPECT_TRUE(near3(mxw[2], vec(0.0, 0.5, 0.0)));
  EXPECT_NEAR(sampling("KvI_BONEWR", bone)->evaluate("P").scalar, PI / 2, 1e-12);

  // A bone node does not insist on a bone.
  wpos->connectInteger("Item", static_cast<std::int32_t>(rig));
  EXPECT_TRUE(near3(wpos->evaluate("W Pos").vector, vec(0.0, 1.0, 0.0)));
}

TEST_F(SingleValueTest, EveryCallSamplesAfresh) {
  auto n = sampling("KvI_ITEMWP", child);
  calls().clear();
  n->evaluate("X");
  n->evaluate("Y");
  // One world walk per call: the child's and the root's position each time.
  EXPECT_EQ(calls().count("itemInfo.param " + host::hexId(child) + " 1 "), 2u);
  EXPECT_EQ(calls().count("itemInfo.param " + host::hexId(root) + " 1 "), 2u);
  EXPECT_EQ(calls().count("output.setValue"), 2u);
}

// One known value from every node server the module lists, the bone nodes
// given the object through their Item input: a kind added without its row
// here fails.
TEST_F(SingleValueTest, EveryServerDeliversAKnownValue) {
  // Banked a quarter and scaled, the child's world axes are +Y, +Z and +X,
  // 1, 2 and 3 long; its rotation passes single-precision degrees.
  scene.setParam(child, PARAM_ROTATION, {0.0, 0.0, PI / 2});
  scene.setParam(child, PARAM_SCALING, {1.0, 2.0, 3.0});
  struct Known {
    std::string kind;
    const char* output;
    std::array<double, 3> value;
  };
  const std::vector<Known> known{
      {"Info", "W Pos", vec(0.0, 0.0, 4.0)},      {"Pos", "Position", vec(1.0, 0.0, 0.0)},
      {"Rot", "Rotation", vec(0.0, 0.0, PI / 2)}, {"Scl", "Scale", vec(1.0, 2.0, 3.0)},
      {"WPos", "W Pos", vec(0.0, 0.0, 4.0)},      {"WRot", "W Rot", vec(PI / 2, 0.0, PI / 2)},
      {"MxW", "W Rgt", vec(0.0, 0.0, 1.0 / 3.0)}, {"Mx", "Up", vec(0.0, 0.0, 2.0)},
  };
  const std::vector<std::string> servers = nodeServers();
  ASSERT_FALSE(servers.empty());
  for (const std::string& server : servers) {
    const std::string user = module().find(NODE_HANDLER_CLASS, server)->tag(TAG_USER_NAME).value_or("");
    const std::string kind = user.substr(user.find(' ') + 1);  // after "Item " or "Bone "
    const auto row = std::find_if(known.begin(), known.end(), [&](const Known& k) { return k.kind == kind; });
    if (row == known.end()) {
      ADD_FAILURE() << user << ": give its kind a known value here";
      continue;
    }
    auto n = node(server);
    n->connectInteger("Item", static_cast<std::int32_t>(child));
    n->newTime(0, 0.0);
    const OutputValue value = n->evaluate(row->output);
    EXPECT_EQ(value.deliveries, 1) << user;
    EXPECT_TRUE(near3(value.vector, row->value, 1e-6)) << user << " " << row->output;
  }
}

}  // namespace
}  // namespace kv::test
