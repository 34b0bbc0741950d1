// SPDX-License-Identifier: MIT
// The vector and matrix kernel: pure functions on small value types (row-vector
// convention, see vec_types.h). No state, no allocation, no host calls.
#pragma once

#include "math/vec_types.h"

namespace kv {

inline constexpr double TINY = 0x1p-52;  // double-precision machine epsilon
inline constexpr double ANGLE_ROUND_BIAS = 7.589099653736237e-08;
inline constexpr double DEG_TO_RAD = 0.017453292519943295;
inline constexpr double HALF_PI = 1.5707963267948966;

void identityMat3(Mat3& out);
void identityMat4(Mat4& out);
void scaleMat3(Mat3& out, const Vec3& s);
void scaleMat4(Mat4& out, const Vec3& s);

// dst = a × b. dst may be a (in-place accumulation), never b.
void mulMat3(Mat3& dst, const Mat3& a, const Mat3& b);
// Affine product; column 3 of a and (0..2, 3) of b are never read. dst may be a, never b.
void mulMat4(Mat4& dst, const Mat4& a, const Mat4& b);

// Bank about Z, then pitch about X, then heading about Y.
void rotationMat3(Mat3& out, const Vec3& hpb);
void rotationMat4(Mat4& out, const Vec3& hpb);
// a0 about Y, then a1 about X, then a2 about Z: the inverse of rotationMat3 when given (-H, -P, -B).
void reverseRotationMat3(Mat3& out, const Vec3& a);

// Heading, pitch, bank of a rotation matrix; at the poles the whole turn goes into heading.
void eulerFromMatrix(const Mat3& m, Vec3& out);

// Quantises each angle through single-precision degrees; `biased` first enlarges
// it by ANGLE_ROUND_BIAS. Components with |c| <= TINY (and NaN) stay as they are.
void roundAngles(Vec3& v, bool biased);

void reciprocalScale(Vec3& v);  // c -> 1/c, zeros -> +0.0
void negateVec3(Vec3& v);
bool anyNonZero(const Vec3& v);  // NaN counts as non-zero
bool anyNotTiny(const Vec3& v);  // some |c| >= TINY; NaN counts

}  // namespace kv
