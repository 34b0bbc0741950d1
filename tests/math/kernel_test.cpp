// SPDX-License-Identifier: MIT
#include "math/kernel.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>

#include "reference.h"

namespace kv {
namespace {

using test::identity3;
using test::maxDifference;
using test::plainProduct;
using test::rotateRow;

using test::PI;
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

double roundedAlone(double c, bool biased) {
  Vec3 v{c, 0.0, 0.0};
  roundAngles(v, biased);
  return v.x;
}

// Expected values are exact: each step was rounded with rational arithmetic.
struct RoundCase {
  double in;
  bool biased;
  double out;
};

TEST(RoundAngles, GivesTheSingleDegreeValueInRadians) {
  const RoundCase cases[] = {
      {1.0, false, 0x1.fffffe285bf09p-1},
      {0.5, false, 0.4999999725468887},
      {-0.25, false, -0.24999998627344436},
      {PI / 2, false, PI / 2},
      {PI / 6, false, 0.5235987755982988},
      {1.0, true, 0x1.0000015016cc9p+0},
      {PI / 2, true, 1.5707964599529511},
      {PI / 4, true, 0.7853982299764756},
      {PI / 6, true, 0.5235987755982988},
      {3e-16, false, 3.0000001243758906e-16},
      {3e-16, true, 3.0000001243758906e-16},
      // The final product of these lies next to a midpoint of two doubles:
      // rounding it first to 64 bits (x87) and then to 53 would miss by one.
      {-3.182507003465756, false, -0x1.975c61fb19e65p+1},
      {-0.3517518766355239, true, -0x1.6831a52b6ab71p-2},
      {1.5743022474729882, true, 0x1.930578d13461dp+0},
  };
  for (const RoundCase& c : cases) {
    EXPECT_EQ(bits(roundedAlone(c.in, c.biased)), bits(c.out))
        << c.in << (c.biased ? " biased" : " unbiased") << " gave " << roundedAlone(c.in, c.biased);
  }
}

TEST(RoundAngles, LeavesZeroTinyAndNaNAlone) {
  for (const bool biased : {false, true}) {
    for (const double c : {0.0, -0.0, 0x1p-52, -0x1p-52, 1e-17, NAN_VALUE}) {
      EXPECT_EQ(bits(roundedAlone(c, biased)), bits(c)) << c;
    }
  }
}

TEST(RoundAngles, TreatsEachComponentAlone) {
  Vec3 v{1.0, 0x1p-52, -0.25};
  roundAngles(v, false);
  EXPECT_EQ(bits(v.x), bits(0x1.fffffe285bf09p-1));
  EXPECT_EQ(bits(v.y), bits(0x1p-52));
  EXPECT_EQ(bits(v.z), bits(-0.24999998627344436));
}

TEST(Gates, TinyAndNonZeroDifferBelowEpsilon) {
  EXPECT_FALSE(anyNotTiny({1e-17, 0, 0}));
  EXPECT_TRUE(anyNonZero({1e-17, 0, 0}));
  EXPECT_TRUE(anyNotTiny({0x1p-52, 0, 0}));
  EXPECT_TRUE(anyNotTiny({0, 0, -0x1p-52}));
  EXPECT_FALSE(anyNotTiny({0, -0.0, 0x1.fffffffffffffp-53}));
  EXPECT_FALSE(anyNonZero({0.0, -0.0, 0.0}));
  EXPECT_TRUE(anyNonZero({0, 0, 1e-300}));
  EXPECT_TRUE(anyNonZero({0, NAN_VALUE, 0}));
  EXPECT_TRUE(anyNotTiny({0, NAN_VALUE, 0}));
}

TEST(ReciprocalScale, ZeroBecomesPositiveZero) {
  Vec3 v{2.0, 0.0, -4.0};
  reciprocalScale(v);
  EXPECT_EQ(v.x, 0.5);
  EXPECT_EQ(v.y, 0.0);
  EXPECT_FALSE(std::signbit(v.y));
  EXPECT_EQ(v.z, -0.25);

  Vec3 negativeZero{-0.0, -0.0, -0.0};
  reciprocalScale(negativeZero);
  for (const double c : {negativeZero.x, negativeZero.y, negativeZero.z}) {
    EXPECT_EQ(bits(c), bits(0.0));
  }
}

TEST(NegateVec3, FlipsTheSignOfZeroToo) {
  Vec3 v{0.0, -1.5, 2.0};
  negateVec3(v);
  EXPECT_TRUE(std::signbit(v.x));
  EXPECT_EQ(v.y, 1.5);
  EXPECT_EQ(v.z, -2.0);
}

Mat3 randomMat3(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> d(-3.0, 3.0);
  Mat3 m;
  for (double& e : m.m) e = d(rng);
  return m;
}

Mat4 randomAffine(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> d(-3.0, 3.0);
  Mat4 m;
  for (double& e : m.m) e = d(rng);
  m.at(0, 3) = m.at(1, 3) = m.at(2, 3) = 0.0;
  m.at(3, 3) = 1.0;
  return m;
}

TEST(MulMat3, MatchesAPlainProductAndGivesTheSameBitsInPlace) {
  std::mt19937_64 rng(7);
  for (int n = 0; n < 200; ++n) {
    Mat3 a = randomMat3(rng);
    const Mat3 b = randomMat3(rng);
    Mat3 separate;
    mulMat3(separate, a, b);
    EXPECT_LT(maxDifference(separate, plainProduct(a, b)), 1e-13);
    mulMat3(a, a, b);
    EXPECT_EQ(std::memcmp(a.m, separate.m, sizeof a.m), 0);
  }
}

TEST(MulMat4, CarriesTheTranslationThroughTheBlock) {
  Mat4 a;
  identityMat4(a);
  a.at(3, 0) = 1;
  a.at(3, 1) = 2;
  a.at(3, 2) = 3;
  Mat4 b;
  rotationMat4(b, {PI / 2, 0, 0});
  Mat4 dst;
  mulMat4(dst, a, b);
  EXPECT_NEAR(dst.at(3, 0), 3.0, 1e-15);
  EXPECT_NEAR(dst.at(3, 1), 2.0, 1e-15);
  EXPECT_NEAR(dst.at(3, 2), -1.0, 1e-15);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(dst.at(i, j), b.at(i, j));
    EXPECT_EQ(dst.at(i, 3), 0.0);
  }
  EXPECT_EQ(dst.at(3, 3), 1.0);
}

TEST(MulMat4, IgnoresTheFourthColumnsAndWorksInPlace) {
  std::mt19937_64 rng(11);
  for (int n = 0; n < 200; ++n) {
    Mat4 a = randomAffine(rng);
    Mat4 b = randomAffine(rng);
    Mat4 clean;
    mulMat4(clean, a, b);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 3; ++j) {
        double expected = i == 3 ? b.at(3, j) : 0.0;
        for (int k = 0; k < 3; ++k) expected += a.at(i, k) * b.at(k, j);
        EXPECT_NEAR(clean.at(i, j), expected, 1e-13);
      }
    }
    a.at(0, 3) = a.at(1, 3) = a.at(2, 3) = a.at(3, 3) = NAN_VALUE;
    b.at(0, 3) = b.at(1, 3) = b.at(2, 3) = NAN_VALUE;
    Mat4 separate;
    mulMat4(separate, a, b);
    EXPECT_EQ(std::memcmp(separate.m, clean.m, sizeof clean.m), 0);
    mulMat4(a, a, b);
    EXPECT_EQ(std::memcmp(a.m, clean.m, sizeof clean.m), 0);
  }
}

Vec3 randomAngles(std::mt19937_64& rng, double pitchLimit) {
  std::uniform_real_distribution<double> turn(-PI, PI), pitch(-pitchLimit, pitchLimit);
  return {turn(rng), pitch(rng), turn(rng)};
}

TEST(RotationMat3, RowsAreTheTurnedAxes) {
  std::mt19937_64 rng(3);
  for (int n = 0; n < 200; ++n) {
    const Vec3 hpb = randomAngles(rng, PI);
    Mat3 r;
    rotationMat3(r, hpb);
    Mat4 r4;
    rotationMat4(r4, hpb);
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i) {
      const Vec3 turned = rotateRow(axes[i], hpb);
      EXPECT_NEAR(r.at(i, 0), turned.x, 1e-15);
      EXPECT_NEAR(r.at(i, 1), turned.y, 1e-15);
      EXPECT_NEAR(r.at(i, 2), turned.z, 1e-15);
      for (int j = 0; j < 3; ++j) EXPECT_EQ(r4.at(i, j), r.at(i, j));
      EXPECT_EQ(r4.at(i, 3), 0.0);
      EXPECT_EQ(r4.at(3, i), 0.0);
    }
    EXPECT_EQ(r4.at(3, 3), 1.0);
  }
}

TEST(ReverseRotationMat3, OfTheNegatedTripleInvertsTheRotation) {
  std::mt19937_64 rng(5);
  for (int n = 0; n < 200; ++n) {
    Vec3 hpb = randomAngles(rng, PI);
    Mat3 forward, reverse;
    rotationMat3(forward, hpb);
    negateVec3(hpb);
    reverseRotationMat3(reverse, hpb);
    EXPECT_LT(maxDifference(plainProduct(reverse, forward), identity3()), 1e-15);
    EXPECT_LT(maxDifference(plainProduct(forward, reverse), identity3()), 1e-15);
  }
}

TEST(EulerFromMatrix, IdentityGivesPositiveZeros) {
  Mat3 m;
  identityMat3(m);
  Vec3 hpb{1, 1, 1};
  eulerFromMatrix(m, hpb);
  for (const double c : {hpb.x, hpb.y, hpb.z}) EXPECT_EQ(bits(c), bits(0.0));
}

TEST(EulerFromMatrix, RebuildsTheMatrixOffThePoles) {
  std::mt19937_64 rng(9);
  for (int n = 0; n < 500; ++n) {
    const Vec3 hpb = randomAngles(rng, PI / 2 - 0.01);
    Mat3 m, rebuilt;
    rotationMat3(m, hpb);
    Vec3 angles;
    eulerFromMatrix(m, angles);
    EXPECT_NEAR(angles.x, hpb.x, 1e-12);
    EXPECT_NEAR(angles.y, hpb.y, 1e-12);
    EXPECT_NEAR(angles.z, hpb.z, 1e-12);
    rotationMat3(rebuilt, angles);
    EXPECT_LT(maxDifference(rebuilt, m), 1e-14);
  }
}

TEST(EulerFromMatrix, PutsTheWholeTurnIntoHeadingAtThePoles) {
  Mat3 m;
  Vec3 angles;
  rotationMat3(m, {0.7, PI / 2, 0.3});
  ASSERT_EQ(m.at(2, 1), -1.0);
  eulerFromMatrix(m, angles);
  EXPECT_NEAR(angles.x, 0.4, 1e-15);
  EXPECT_EQ(angles.y, HALF_PI);
  EXPECT_EQ(bits(angles.z), bits(0.0));

  rotationMat3(m, {0.7, -PI / 2, 0.3});
  eulerFromMatrix(m, angles);
  EXPECT_NEAR(angles.x, 1.0, 1e-15);
  EXPECT_EQ(angles.y, -HALF_PI);
  EXPECT_EQ(bits(angles.z), bits(0.0));

  std::mt19937_64 rng(13);
  for (int n = 0; n < 200; ++n) {
    Vec3 hpb = randomAngles(rng, 0);
    hpb.y = n % 2 ? PI / 2 : -PI / 2;
    Mat3 rebuilt;
    rotationMat3(m, hpb);
    eulerFromMatrix(m, angles);
    EXPECT_EQ(angles.z, 0.0);
    rotationMat3(rebuilt, angles);
    EXPECT_LT(maxDifference(rebuilt, m), 1e-14);
  }
}

TEST(EulerFromMatrix, ScaledMatrixBeyondOneTakesThePole) {
  Mat3 m;
  scaleMat3(m, {2, 2, 2});
  m.at(2, 1) = 1.5;
  Vec3 angles;
  eulerFromMatrix(m, angles);
  EXPECT_EQ(angles.y, -HALF_PI);
  EXPECT_EQ(bits(angles.x), bits(0.0));  // atan2(-0, 2), flushed to +0
  EXPECT_EQ(bits(angles.z), bits(0.0));
}

TEST(EulerFromMatrix, NaNPitchPassesThrough) {
  Mat3 m;
  identityMat3(m);
  m.at(2, 1) = NAN_VALUE;
  Vec3 angles;
  eulerFromMatrix(m, angles);
  EXPECT_TRUE(std::isnan(angles.y));
}

}  // namespace
}  // namespace kv
