// SPDX-License-Identifier: MIT
// Independent references for the kernel's results: row vectors turned by the
// elementary rotations one after another, and products written as plain loops.
#pragma once

#include <cmath>
#include <numbers>

#include "math/vec_types.h"

namespace kv::test {

constexpr double PI = std::numbers::pi;

// Heading about Y (+Z towards +X), pitch about X (+Z towards -Y), bank about Z
// (+X towards +Y), applied to a row vector in the order bank, pitch, heading.
inline Vec3 rotateRow(Vec3 v, const Vec3& hpb) {
  const double b = hpb.z, p = hpb.y, h = hpb.x;
  v = {v.x * std::cos(b) - v.y * std::sin(b), v.x * std::sin(b) + v.y * std::cos(b), v.z};
  v = {v.x, v.y * std::cos(p) - v.z * std::sin(p), v.y * std::sin(p) + v.z * std::cos(p)};
  v = {v.x * std::cos(h) + v.z * std::sin(h), v.y, -v.x * std::sin(h) + v.z * std::cos(h)};
  return v;
}

inline Mat3 plainProduct(const Mat3& a, const Mat3& b) {
  Mat3 p{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) p.at(i, j) += a.at(i, k) * b.at(k, j);
    }
  }
  return p;
}

inline double maxDifference(const Mat3& a, const Mat3& b) {
  double d = 0.0;
  for (int i = 0; i < 9; ++i) d = std::fmax(d, std::fabs(a.m[i] - b.m[i]));
  return d;
}

inline Mat3 identity3() { return Mat3{{1, 0, 0, 0, 1, 0, 0, 0, 1}}; }

}  // namespace kv::test
