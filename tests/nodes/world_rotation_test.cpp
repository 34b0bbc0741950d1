// SPDX-License-Identifier: MIT
// "W Rot" is the world rotation without the scales of the item and its
// ancestors, while the axis rows keep them.
#include <cmath>
#include <string>

#include "node_fixture.h"

namespace kv::test {
namespace {

// Heading and pitch stay as they are under the rotation's rounding, the bank
// of 0.5 becomes the single-precision degree value's radians.
constexpr std::array<double, 3> TURN{PI / 6, -PI / 6, 0.5};
const std::array<double, 3> ROUNDED_TURN{0.5235987755982988, -0.5235987755982988, 0.4999999725468887};

class WorldRotationTest : public NodeTest {
 protected:
  // "W Rot" of an Info node and of a WRot node (its vector and its "H", "P", "B").
  void expectWorldRotation(const std::string& family, ItemId item, const std::array<double, 3>& expected) {
    const bool bones = family == "KvI_BONE";
    for (const std::string& server : {family, family + "WR"}) {
      auto n = node(server);
      if (bones) {
        selectBone(*n, item);
      } else {
        select(*n, item);
      }
      n->newTime(0, 0.0);
      EXPECT_TRUE(near3(n->evaluate("W Rot").vector, expected)) << server;
      if (server.ends_with("WR")) {
        EXPECT_NEAR(n->evaluate("P").scalar, expected[1], 1e-12) << server;
        EXPECT_NEAR(n->evaluate("B").scalar, expected[2], 1e-12) << server;
      }
    }
  }
};

TEST_F(WorldRotationTest, ScalesOfTheItemDoNotTurnIt) {
  const ItemId uniform = scene.addObject("Uniform");
  scene.setParam(uniform, PARAM_SCALING, {3.0, 3.0, 3.0});
  scene.setParam(uniform, PARAM_ROTATION, TURN);
  expectWorldRotation("KvI_ITEM", uniform, ROUNDED_TURN);

  const ItemId stretched = scene.addObject("Stretched");
  scene.setParam(stretched, PARAM_SCALING, {1.0, 2.0, 4.0});
  scene.setParam(stretched, PARAM_ROTATION, TURN);
  expectWorldRotation("KvI_ITEM", stretched, ROUNDED_TURN);

  // A flattened axis stays zero: the bank, read from it, is lost, the rest stays.
  const ItemId flat = scene.addObject("Flat");
  scene.setParam(flat, PARAM_SCALING, {0.0, 2.0, 2.0});
  scene.setParam(flat, PARAM_ROTATION, TURN);
  expectWorldRotation("KvI_ITEM", flat, {ROUNDED_TURN[0], ROUNDED_TURN[1], 0.0});
}

TEST_F(WorldRotationTest, BonesOfAScaledObjectKeepTheirTurnWhileTheirAxesCarryTheScale) {
  const ItemId rig = scene.addObject("Rig");
  scene.setParam(rig, PARAM_SCALING, {3.0, 3.0, 3.0});
  const ItemId bone = scene.addBone(rig, "Arm", rig);
  scene.setParam(bone, PARAM_ROTATION, TURN);
  expectWorldRotation("KvI_BONE", bone, ROUNDED_TURN);

  auto info = node("KvI_BONE");
  selectBone(*info, bone);
  info->newTime(0, 0.0);
  const std::array<double, 3> right = info->evaluate("Right").vector;
  EXPECT_NEAR(std::hypot(right[0], right[1], right[2]), 3.0, 1e-12);
  // The unscaled right axis of heading, pitch, bank (h, p, b): (cH cB + sH sP sB, cP sB, cH sP sB - sH cB).
  const auto [h, p, b] = ROUNDED_TURN;
  EXPECT_TRUE(near3(right, vec(3 * (std::cos(h) * std::cos(b) + std::sin(h) * std::sin(p) * std::sin(b)),
                               3 * std::cos(p) * std::sin(b),
                               3 * (std::cos(h) * std::sin(p) * std::sin(b) - std::sin(h) * std::cos(b)))));
}

}  // namespace
}  // namespace kv::test
