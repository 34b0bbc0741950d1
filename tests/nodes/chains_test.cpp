// SPDX-License-Identifier: MIT
#include "nodes/chains.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <random>
#include <vector>

#include "fake_item_info.h"
#include "math/kernel.h"
#include "math/reference.h"

namespace kv {
namespace {

using test::FakeItemInfo;
using test::HostCall;
using test::identity3;
using test::maxDifference;
using test::paramCall;
using test::parentCall;
using test::plainProduct;
using test::rotateRow;
using test::Triple;

using test::PI;
constexpr double T = 1.5;  // sampling time
constexpr ItemId OBJ = 0x10000000;
constexpr ItemId LIGHT = 0x20000000;
constexpr ItemId CAM = 0x30000000;

Vec3 vec(const Triple& t) { return {t[0], t[1], t[2]}; }

Mat3 upperBlock(const Mat4& m) {
  Mat3 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r.at(i, j) = m.at(i, j);
  }
  return r;
}

void expectRow(const Mat3& m, int row, Vec3 expected, double tolerance) {
  EXPECT_NEAR(m.at(row, 0), expected.x, tolerance) << "row " << row;
  EXPECT_NEAR(m.at(row, 1), expected.y, tolerance) << "row " << row;
  EXPECT_NEAR(m.at(row, 2), expected.z, tolerance) << "row " << row;
}

// One item's scale, rotation and pivot rotation applied to a row vector, with
// the walks' gates and rounding but none of the kernel's matrices.
Vec3 throughItem(const FakeItemInfo& fake, ItemId id, Vec3 v, double pivotRotationTime) {
  if ((id & 0xF0000000) != CAM) {
    const Triple s = fake.value(id, PARAM_SCALING, T);
    v = {v.x * s[0], v.y * s[1], v.z * s[2]};
  }
  Vec3 r = vec(fake.value(id, PARAM_ROTATION, T));
  if (anyNotTiny(r)) {
    roundAngles(r, false);
    v = rotateRow(v, r);
  }
  Vec3 q = vec(fake.value(id, PARAM_PIVOT_ROTATION, pivotRotationTime));
  if (anyNonZero(q)) {
    roundAngles(q, true);
    v = rotateRow(v, q);
  }
  return v;
}

Mat3 referenceOrientation(const FakeItemInfo& fake, ItemId item, double pivotRotationTime) {
  Mat3 m = identity3();
  for (int i = 0; i < 3; ++i) {
    Vec3 axis{m.at(i, 0), m.at(i, 1), m.at(i, 2)};
    for (ItemId id = item; id != 0; id = fake.parentOf(id)) axis = throughItem(fake, id, axis, pivotRotationTime);
    m.at(i, 0) = axis.x;
    m.at(i, 1) = axis.y;
    m.at(i, 2) = axis.z;
  }
  return m;
}

// (position − pivot of k) × (Sk·Rk·PRk) + position of k, from the parent outwards.
Vec3 referenceWorldPosition(const FakeItemInfo& fake, ItemId item) {
  Vec3 p = vec(fake.value(item, PARAM_POSITION, T));
  for (ItemId k = fake.parentOf(item); k != 0; k = fake.parentOf(k)) {
    const Triple pivot = fake.value(k, PARAM_PIVOT, 0.0);
    p = throughItem(fake, k, {p.x - pivot[0], p.y - pivot[1], p.z - pivot[2]}, 0.0);
    const Triple w = fake.value(k, PARAM_POSITION, T);
    p = {p.x + w[0], p.y + w[1], p.z + w[2]};
  }
  return p;
}

TEST(Chains, ItemZeroIsTheIdentityWithoutHostCalls) {
  FakeItemInfo fake;
  Mat3 m;
  m.at(0, 0) = 7;
  orientationChain(m, fake.service(), 0, T);
  EXPECT_EQ(maxDifference(m, identity3()), 0.0);
  m.at(1, 1) = 7;
  axesChain(m, fake.service(), 0, T);
  EXPECT_EQ(maxDifference(m, identity3()), 0.0);
  EXPECT_TRUE(fake.calls().empty());
}

TEST(Chains, ScaledRootAndItsReciprocal) {
  FakeItemInfo fake;
  fake.add(OBJ | 1, 0);
  fake.set(OBJ | 1, PARAM_SCALING, {2, 2, 2});
  Mat3 orientation, axes;
  orientationChain(orientation, fake.service(), OBJ | 1, T);
  axesChain(axes, fake.service(), OBJ | 1, T);
  Mat3 twice{}, half{};
  for (int i = 0; i < 3; ++i) {
    twice.at(i, i) = 2.0;
    half.at(i, i) = 0.5;
  }
  EXPECT_EQ(maxDifference(orientation, twice), 0.0);
  EXPECT_EQ(maxDifference(axes, half), 0.0);
}

TEST(Chains, CameraScalingIsNeverRequested) {
  FakeItemInfo fake;
  fake.add(CAM | 1, 0);
  fake.set(CAM | 1, PARAM_SCALING, {2, 2, 2});
  fake.add(OBJ | 1, CAM | 1);
  Mat3 orientation, axes;
  Mat4 world;
  orientationChain(orientation, fake.service(), OBJ | 1, T);
  axesChain(axes, fake.service(), OBJ | 1, T);
  worldMatrixChain(world, fake.service(), OBJ | 1, T);
  EXPECT_EQ(maxDifference(orientation, identity3()), 0.0);
  EXPECT_EQ(maxDifference(axes, identity3()), 0.0);
  EXPECT_EQ(maxDifference(upperBlock(world), identity3()), 0.0);
  for (const HostCall& c : fake.calls()) {
    EXPECT_FALSE(c.op == HostCall::PARAM && c.item == (CAM | 1) && c.code == PARAM_SCALING);
  }
  EXPECT_EQ(fake.paramCallsWithCode(PARAM_SCALING), 3u);  // the object's, once per walk
}

TEST(Chains, RotationGateAtEpsilonPivotRotationGateAtZero) {
  FakeItemInfo fake;
  fake.add(OBJ | 1, 0);
  Mat3 m;
  fake.set(OBJ | 1, PARAM_ROTATION, {1e-17, 0, 0});
  orientationChain(m, fake.service(), OBJ | 1, T);
  EXPECT_EQ(maxDifference(m, identity3()), 0.0);
  axesChain(m, fake.service(), OBJ | 1, T);
  EXPECT_EQ(maxDifference(m, identity3()), 0.0);

  // Applied, and left unrounded: sin(2^-52) is 2^-52.
  fake.set(OBJ | 1, PARAM_ROTATION, {0x1p-52, 0, 0});
  orientationChain(m, fake.service(), OBJ | 1, T);
  EXPECT_EQ(m.at(2, 0), 0x1p-52);
  EXPECT_EQ(m.at(0, 2), -0x1p-52);
  axesChain(m, fake.service(), OBJ | 1, T);
  EXPECT_EQ(m.at(2, 0), -0x1p-52);

  fake.set(OBJ | 1, PARAM_ROTATION, {0, 0, 0});
  fake.set(OBJ | 1, PARAM_PIVOT_ROTATION, {1e-17, 0, 0});
  orientationChain(m, fake.service(), OBJ | 1, T);
  EXPECT_EQ(m.at(2, 0), 1e-17);
  Mat4 world;
  worldMatrixChain(world, fake.service(), OBJ | 1, T);
  EXPECT_EQ(world.at(2, 0), 1e-17);
}

TEST(Chains, QuarterHeadingTurnsForwardToX) {
  FakeItemInfo fake;
  fake.add(OBJ | 1, 0);
  fake.set(OBJ | 1, PARAM_ROTATION, {PI / 2, 0, 0});
  Mat3 m;
  orientationChain(m, fake.service(), OBJ | 1, T);
  expectRow(m, 2, {1, 0, 0}, 1e-15);
  expectRow(m, 0, {0, 0, -1}, 1e-15);
  expectRow(m, 1, {0, 1, 0}, 1e-15);
}

TEST(Chains, ChildWorldPositionGoesThroughTheParentsPivot) {
  FakeItemInfo fake;
  const ItemId root = OBJ | 1, child = OBJ | 2;
  fake.add(root, 0);
  fake.set(root, PARAM_POSITION, {0, 0, 5});
  fake.set(root, PARAM_ROTATION, {PI / 2, 0, 0});
  fake.add(child, root);
  fake.set(child, PARAM_POSITION, {1, 0, 0});
  fake.set(child, PARAM_PIVOT, {9, 9, 9});  // an item's own pivot never counts
  Mat4 world;
  worldMatrixChain(world, fake.service(), child, T);
  EXPECT_NEAR(world.at(3, 0), 0.0, 1e-15);
  EXPECT_NEAR(world.at(3, 1), 0.0, 1e-15);
  EXPECT_NEAR(world.at(3, 2), 4.0, 1e-15);
  EXPECT_EQ(world.at(3, 3), 1.0);

  fake.set(root, PARAM_PIVOT, {1, 0, 0});
  worldMatrixChain(world, fake.service(), child, T);
  EXPECT_NEAR(world.at(3, 0), 0.0, 1e-15);
  EXPECT_NEAR(world.at(3, 1), 0.0, 1e-15);
  EXPECT_NEAR(world.at(3, 2), 5.0, 1e-15);

  worldMatrixChain(world, fake.service(), root, T);
  EXPECT_EQ(world.at(3, 0), 0.0);
  EXPECT_EQ(world.at(3, 1), 0.0);
  EXPECT_EQ(world.at(3, 2), 5.0);
}

TEST(Chains, PivotRotationTimeDiffersPerWalk) {
  FakeItemInfo fake;
  const ItemId root = OBJ | 1, child = OBJ | 2;
  fake.add(root, 0);
  fake.set(root, PARAM_PIVOT_ROTATION, {0.3, 0, 0});
  fake.setRate(root, PARAM_PIVOT_ROTATION, {0.2, 0, 0});  // 0.6 at the sampling time
  fake.add(child, root);
  Mat3 orientation, axes;
  Mat4 world;
  orientationChain(orientation, fake.service(), child, T);
  axesChain(axes, fake.service(), child, T);
  worldMatrixChain(world, fake.service(), child, T);
  // The biased rounding moves an angle by well under 1e-6.
  expectRow(orientation, 2, {std::sin(0.6), 0, std::cos(0.6)}, 1e-6);
  expectRow(axes, 2, {-std::sin(0.3), 0, std::cos(0.3)}, 1e-6);
  expectRow(upperBlock(world), 2, {std::sin(0.3), 0, std::cos(0.3)}, 1e-6);
}

TEST(Chains, ZeroScaleComponentLeavesZeroInTheAxes) {
  FakeItemInfo fake;
  fake.add(OBJ | 1, 0);
  fake.set(OBJ | 1, PARAM_SCALING, {2, 0, -4});
  Mat3 axes, orientation;
  axesChain(axes, fake.service(), OBJ | 1, T);
  orientationChain(orientation, fake.service(), OBJ | 1, T);
  EXPECT_EQ(axes.at(0, 0), 0.5);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(axes.at(1, 1)), 0u);
  EXPECT_EQ(axes.at(2, 2), -0.25);
  expectRow(orientation, 1, {0, 0, 0}, 0.0);
}

// item ← light ← camera ← root, every triple non-zero.
struct SmallChain {
  FakeItemInfo fake;
  ItemId item = OBJ | 3, light = LIGHT | 1, camera = CAM | 1, root = OBJ | 1;

  SmallChain() {
    fake.add(root, 0);
    fake.add(camera, root);
    fake.add(light, camera);
    fake.add(item, light);
    for (const ItemId id : {item, light, camera, root}) {
      fake.set(id, PARAM_ROTATION, {0.1, 0.2, 0.3});
      fake.set(id, PARAM_PIVOT_ROTATION, {0.3, 0.2, 0.1});
      fake.set(id, PARAM_POSITION, {1, 2, 3});
      fake.set(id, PARAM_PIVOT, {3, 2, 1});
    }
  }
};

using Calls = std::vector<HostCall>;

Calls& operator+=(Calls& calls, std::initializer_list<HostCall> more) {
  calls.insert(calls.end(), more);
  return calls;
}

TEST(Chains, OrientationAsksFromTheItemOutwards) {
  SmallChain s;
  Mat3 m;
  orientationChain(m, s.fake.service(), s.item, T);
  Calls expected;
  expected += {paramCall(s.item, 6, T), paramCall(s.item, 5, T), paramCall(s.item, 12, T), parentCall(s.item)};
  expected += {paramCall(s.light, 6, T), paramCall(s.light, 5, T), paramCall(s.light, 12, T), parentCall(s.light)};
  expected += {paramCall(s.camera, 5, T), paramCall(s.camera, 12, T), parentCall(s.camera)};
  expected += {paramCall(s.root, 6, T), paramCall(s.root, 5, T), paramCall(s.root, 12, T), parentCall(s.root)};
  EXPECT_EQ(s.fake.calls(), expected);
}

TEST(Chains, AxesAsksParentsFirstThenFromTheRootDown) {
  SmallChain s;
  Mat3 m;
  axesChain(m, s.fake.service(), s.item, T);
  Calls expected;
  expected += {parentCall(s.item), parentCall(s.light), parentCall(s.camera), parentCall(s.root)};
  expected += {paramCall(s.root, 12, 0.0), paramCall(s.root, 5, T), paramCall(s.root, 6, T)};
  expected += {paramCall(s.camera, 12, 0.0), paramCall(s.camera, 5, T)};
  expected += {paramCall(s.light, 12, 0.0), paramCall(s.light, 5, T), paramCall(s.light, 6, T)};
  expected += {paramCall(s.item, 12, 0.0), paramCall(s.item, 5, T), paramCall(s.item, 6, T)};
  EXPECT_EQ(s.fake.calls(), expected);
}

TEST(Chains, WorldAsksEachAncestorsPivotBeforeItsFactors) {
  SmallChain s;
  Mat4 m;
  worldMatrixChain(m, s.fake.service(), s.item, T);
  Calls expected;
  expected += {paramCall(s.item, 6, T), paramCall(s.item, 5, T), paramCall(s.item, 12, 0.0), paramCall(s.item, 1, T)};
  expected += {parentCall(s.item), paramCall(s.light, 7, 0.0)};
  expected +=
      {paramCall(s.light, 6, T), paramCall(s.light, 5, T), paramCall(s.light, 12, 0.0), paramCall(s.light, 1, T)};
  expected += {parentCall(s.light), paramCall(s.camera, 7, 0.0)};
  expected += {paramCall(s.camera, 5, T), paramCall(s.camera, 12, 0.0), paramCall(s.camera, 1, T)};
  expected += {parentCall(s.camera), paramCall(s.root, 7, 0.0)};
  expected += {paramCall(s.root, 6, T), paramCall(s.root, 5, T), paramCall(s.root, 12, 0.0), paramCall(s.root, 1, T)};
  expected += {parentCall(s.root)};
  EXPECT_EQ(s.fake.calls(), expected);
}

// A forest of objects, lights and cameras with random values; pivot rotations
// change with time when `movingPivots`.
std::vector<ItemId> randomScene(FakeItemInfo& fake, std::mt19937_64& rng, bool movingPivots) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0), magnitude(0.5, 1.5);
  std::uniform_int_distribution<int> kind(0, 5);
  std::vector<ItemId> ids;
  for (ItemId n = 1; n <= 40; ++n) {
    const int k = kind(rng);
    const ItemId id = (k == 0 ? CAM : k == 1 ? LIGHT : OBJ) | n;
    const ItemId parent =
        ids.empty() || kind(rng) == 0 ? 0 : ids[std::uniform_int_distribution<std::size_t>(0, ids.size() - 1)(rng)];
    fake.add(id, parent);
    const auto sign = [&] { return unit(rng) < 0 ? -1.0 : 1.0; };
    fake.set(id, PARAM_SCALING, {sign() * magnitude(rng), sign() * magnitude(rng), sign() * magnitude(rng)});
    fake.set(id, PARAM_POSITION, {5 * unit(rng), 5 * unit(rng), 5 * unit(rng)});
    fake.set(id, PARAM_PIVOT, {2 * unit(rng), 2 * unit(rng), 2 * unit(rng)});
    if (kind(rng) != 0) fake.set(id, PARAM_ROTATION, {PI * unit(rng), PI / 2 * unit(rng), PI * unit(rng)});
    if (kind(rng) < 3) {
      fake.set(id, PARAM_PIVOT_ROTATION, {PI * unit(rng), PI / 2 * unit(rng), PI * unit(rng)});
      if (movingPivots) fake.setRate(id, PARAM_PIVOT_ROTATION, {unit(rng), unit(rng), unit(rng)});
    }
    ids.push_back(id);
  }
  return ids;
}

TEST(Chains, RandomHierarchiesMatchTheReferences) {
  for (const bool movingPivots : {false, true}) {
    std::mt19937_64 rng(movingPivots ? 21 : 17);
    FakeItemInfo fake;
    fake.setLogging(false);
    for (const ItemId id : randomScene(fake, rng, movingPivots)) {
      Mat3 orientation, axes;
      Mat4 world;
      orientationChain(orientation, fake.service(), id, T);
      axesChain(axes, fake.service(), id, T);
      worldMatrixChain(world, fake.service(), id, T);
      const Mat3 block = upperBlock(world);

      EXPECT_LT(maxDifference(orientation, referenceOrientation(fake, id, T)), 1e-12) << std::hex << id;
      EXPECT_LT(maxDifference(block, referenceOrientation(fake, id, 0.0)), 1e-12) << std::hex << id;
      const Vec3 position = referenceWorldPosition(fake, id);
      EXPECT_NEAR(world.at(3, 0), position.x, 1e-11) << std::hex << id;
      EXPECT_NEAR(world.at(3, 1), position.y, 1e-11) << std::hex << id;
      EXPECT_NEAR(world.at(3, 2), position.z, 1e-11) << std::hex << id;

      // The axes undo the world block, whose pivot rotations are read at 0.0 too.
      EXPECT_LT(maxDifference(plainProduct(block, axes), identity3()), 1e-9) << std::hex << id;
      if (!movingPivots) {
        EXPECT_LT(maxDifference(plainProduct(orientation, axes), identity3()), 1e-9) << std::hex << id;
        EXPECT_EQ(maxDifference(orientation, block), 0.0) << std::hex << id;
      }
    }
  }
}

// A straight chain of `depth` objects; returns the deepest.
ItemId straightChain(FakeItemInfo& fake, ItemId depth) {
  ItemId parent = 0;
  for (ItemId n = 1; n <= depth; ++n) {
    fake.add(OBJ | n, parent);
    parent = OBJ | n;
  }
  return parent;
}

TEST(Chains, AxesOfDeepChainsComposeFromTheRootDown) {
  for (const ItemId depth : {1u, 2u, 63u, 64u, 65u, 128u, 129u, 200u}) {
    FakeItemInfo fake;
    const ItemId item = straightChain(fake, depth);
    std::mt19937_64 rng(depth);
    std::uniform_real_distribution<double> angle(-0.5, 0.5), scale(0.9, 1.1);
    for (ItemId n = 1; n <= depth; ++n) {
      fake.set(OBJ | n, PARAM_SCALING, {scale(rng), scale(rng), scale(rng)});
      fake.set(OBJ | n, PARAM_ROTATION, {angle(rng), angle(rng), angle(rng)});
      fake.set(OBJ | n, PARAM_PIVOT_ROTATION, {angle(rng), angle(rng), angle(rng)});
    }
    Mat3 axes, orientation;
    axesChain(axes, fake.service(), item, T);

    Calls params, expected;
    std::size_t parents = 0;
    for (const HostCall& c : fake.calls()) {
      if (c.op == HostCall::PARAM) params.push_back(c);
      parents += c.op == HostCall::PARENT;
    }
    for (ItemId n = 1; n <= depth; ++n) {
      expected += {paramCall(OBJ | n, 12, 0.0), paramCall(OBJ | n, 5, T), paramCall(OBJ | n, 6, T)};
    }
    EXPECT_EQ(params, expected) << depth;
    if (depth <= 64) {
      EXPECT_EQ(parents, depth);
    }

    orientationChain(orientation, fake.service(), item, T);
    EXPECT_LT(maxDifference(plainProduct(orientation, axes), identity3()), 1e-9) << depth;
  }
}

TEST(Chains, FiveThousandLevelsDeep) {
  FakeItemInfo fake;
  fake.setLogging(false);
  const ItemId item = straightChain(fake, 5000);
  fake.set(OBJ | 1, PARAM_SCALING, {2, 4, 8});
  fake.set(OBJ | 2500, PARAM_ROTATION, {PI / 2, 0, 0});
  fake.set(item, PARAM_POSITION, {1, 0, 0});
  Mat3 axes, orientation;
  Mat4 world;
  axesChain(axes, fake.service(), item, T);
  orientationChain(orientation, fake.service(), item, T);
  worldMatrixChain(world, fake.service(), item, T);
  // The quarter heading swaps X and Z before the root's scale applies.
  expectRow(orientation, 0, {0, 0, -8}, 1e-14);
  expectRow(orientation, 2, {2, 0, 0}, 1e-14);
  expectRow(axes, 0, {0, 0, 0.5}, 1e-15);
  expectRow(axes, 1, {0, 0.25, 0}, 1e-15);
  expectRow(axes, 2, {-0.125, 0, 0}, 1e-15);
  EXPECT_NEAR(world.at(3, 2), -8.0, 1e-14);
}

}  // namespace
}  // namespace kv
