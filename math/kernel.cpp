// SPDX-License-Identifier: MIT
#include "math/kernel.h"

#include <cfloat>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {
namespace {

struct SinCos {
  double sin;
  double cos;
};

SinCos sinCos(double angle) { return {std::sin(angle), std::cos(angle)}; }

}  // namespace

void identityMat3(Mat3& out) { scaleMat3(out, Vec3{1.0, 1.0, 1.0}); }

void identityMat4(Mat4& out) { scaleMat4(out, Vec3{1.0, 1.0, 1.0}); }

void scaleMat3(Mat3& out, const Vec3& s) {
  out = Mat3{};
  out.at(0, 0) = s.x;
  out.at(1, 1) = s.y;
  out.at(2, 2) = s.z;
}

void scaleMat4(Mat4& out, const Vec3& s) {
  out = Mat4{};
  out.at(0, 0) = s.x;
  out.at(1, 1) = s.y;
  out.at(2, 2) = s.z;
  out.at(3, 3) = 1.0;
}

namespace {

// Every element of a product is summed as (a(i,0)·b(0,j) + a(i,1)·b(1,j)) + a(i,2)·b(2,j).
// The paired and the scalar forms round the same operations in the same order,
// so the bits do not depend on which one ran, on the lane an element sits in,
// nor on alignment. All of a and b is read before dst is written, since dst
// may be a.
#if defined(__SSE2__)

// Columns 0 and 1 of b's 3×3 block as pairs, and column 2 broadcast.
struct Block {
  __m128d pair0, pair1, pair2;
  __m128d third0, third1, third2;
};

inline Block readBlock(const double* b0, const double* b1, const double* b2) {
  return {_mm_loadu_pd(b0),   _mm_loadu_pd(b1),   _mm_loadu_pd(b2),
          _mm_set1_pd(b0[2]), _mm_set1_pd(b1[2]), _mm_set1_pd(b2[2])};
}

// Columns 0 and 1 of a row of a times the block.
inline __m128d firstTwo(const double* a, const Block& b) {
  return _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(a[0]), b.pair0), _mm_mul_pd(_mm_set1_pd(a[1]), b.pair1)),
                    _mm_mul_pd(_mm_set1_pd(a[2]), b.pair2));
}

// Column 2 of two rows of a times the block, one row per lane.
inline __m128d thirdOfTwo(const double* lo, const double* hi, const Block& b) {
  const __m128d x = _mm_loadh_pd(_mm_load_sd(lo), hi);
  const __m128d y = _mm_loadh_pd(_mm_load_sd(lo + 1), hi + 1);
  const __m128d z = _mm_loadh_pd(_mm_load_sd(lo + 2), hi + 2);
  return _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, b.third0), _mm_mul_pd(y, b.third1)), _mm_mul_pd(z, b.third2));
}

// Column 2 of one row of a times the block, in the low lane.
inline __m128d thirdOfOne(const double* a, const Block& b) {
  return _mm_add_sd(_mm_add_sd(_mm_mul_sd(_mm_load_sd(a), b.third0), _mm_mul_sd(_mm_load_sd(a + 1), b.third1)),
                    _mm_mul_sd(_mm_load_sd(a + 2), b.third2));
}

#else

inline void rowTimesBlock(double* o, const double* a, const double* b0, const double* b1, const double* b2) {
  const double r0 = a[0], r1 = a[1], r2 = a[2];
  o[0] = r0 * b0[0] + r1 * b1[0] + r2 * b2[0];
  o[1] = r0 * b0[1] + r1 * b1[1] + r2 * b2[1];
  o[2] = r0 * b0[2] + r1 * b1[2] + r2 * b2[2];
}

#endif

}  // namespace

void mulMat3(Mat3& dst, const Mat3& a, const Mat3& b) {
#if defined(__SSE2__)
  const Block block = readBlock(b.row(0), b.row(1), b.row(2));
  const __m128d row0 = firstTwo(a.row(0), block);
  const __m128d row1 = firstTwo(a.row(1), block);
  const __m128d row2 = firstTwo(a.row(2), block);
  const __m128d third01 = thirdOfTwo(a.row(0), a.row(1), block);
  const __m128d third2 = thirdOfOne(a.row(2), block);
  _mm_storeu_pd(&dst.m[0], row0);
  _mm_store_sd(&dst.m[2], third01);
  _mm_storeu_pd(&dst.m[3], row1);
  _mm_storeh_pd(&dst.m[5], third01);
  _mm_storeu_pd(&dst.m[6], row2);
  _mm_store_sd(&dst.m[8], third2);
#else
  // dst may be a: each row of a is read just before the same row of dst is written.
  for (int i = 0; i < 3; ++i) rowTimesBlock(&dst.m[3 * i], a.row(i), b.row(0), b.row(1), b.row(2));
#endif
}

void mulMat4(Mat4& dst, const Mat4& a, const Mat4& b) {
  const double t0 = b.at(3, 0);
  const double t1 = b.at(3, 1);
  const double t2 = b.at(3, 2);
  const double corner = b.at(3, 3);
#if defined(__SSE2__)
  const Block block = readBlock(b.row(0), b.row(1), b.row(2));
  const __m128d row0 = firstTwo(a.row(0), block);
  const __m128d row1 = firstTwo(a.row(1), block);
  const __m128d row2 = firstTwo(a.row(2), block);
  const __m128d row3 = firstTwo(a.row(3), block);
  const __m128d third01 = thirdOfTwo(a.row(0), a.row(1), block);
  const __m128d third23 = thirdOfTwo(a.row(2), a.row(3), block);
  _mm_storeu_pd(&dst.m[0], row0);
  _mm_store_sd(&dst.m[2], third01);
  _mm_storeu_pd(&dst.m[4], row1);
  _mm_storeh_pd(&dst.m[6], third01);
  _mm_storeu_pd(&dst.m[8], row2);
  _mm_store_sd(&dst.m[10], third23);
  _mm_storeu_pd(&dst.m[12], _mm_add_pd(row3, _mm_set_pd(t1, t0)));
  _mm_storeh_pd(&dst.m[14], _mm_add_pd(third23, _mm_set1_pd(t2)));
#else
  for (int i = 0; i < 4; ++i) rowTimesBlock(&dst.m[4 * i], a.row(i), b.row(0), b.row(1), b.row(2));
  dst.at(3, 0) += t0;
  dst.at(3, 1) += t1;
  dst.at(3, 2) += t2;
#endif
  dst.at(0, 3) = 0.0;
  dst.at(1, 3) = 0.0;
  dst.at(2, 3) = 0.0;
  dst.at(3, 3) = corner;
}

void rotationMat3(Mat3& out, const Vec3& hpb) {
  const auto [sH, cH] = sinCos(hpb.x);
  const auto [sP, cP] = sinCos(hpb.y);
  const auto [sB, cB] = sinCos(hpb.z);
  out.m[0] = cH * cB + sH * sP * sB;
  out.m[1] = cP * sB;
  out.m[2] = cH * sP * sB - sH * cB;
  out.m[3] = sH * sP * cB - cH * sB;
  out.m[4] = cP * cB;
  out.m[5] = cH * sP * cB + sH * sB;
  out.m[6] = sH * cP;
  out.m[7] = -sP;
  out.m[8] = cH * cP;
}

void rotationMat4(Mat4& out, const Vec3& hpb) {
  Mat3 r{};
  rotationMat3(r, hpb);
  identityMat4(out);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out.at(i, j) = r.at(i, j);
  }
}

void reverseRotationMat3(Mat3& out, const Vec3& a) {
  const auto [s0, c0] = sinCos(a.x);
  const auto [s1, c1] = sinCos(a.y);
  const auto [s2, c2] = sinCos(a.z);
  out.m[0] = c0 * c2 - s0 * s1 * s2;
  out.m[1] = c0 * s2 + s0 * s1 * c2;
  out.m[2] = -s0 * c1;
  out.m[3] = -c1 * s2;
  out.m[4] = c1 * c2;
  out.m[5] = s1;
  out.m[6] = s0 * c2 + c0 * s1 * s2;
  out.m[7] = s0 * s2 - c0 * s1 * c2;
  out.m[8] = c0 * c1;
}

namespace {

// +0.0 for magnitudes at most TINY (which also turns -0.0 into +0.0).
inline double flushTiny(double v) { return std::fabs(v) <= TINY ? 0.0 : v; }

}  // namespace

void eulerFromMatrix(const Mat3& m, Vec3& out) {
  const double y = m.at(2, 1);
  double pitch = 0.0;
  double cosPitch = 0.0;
  if (y >= 1.0) {
    pitch = -HALF_PI;
    cosPitch = 0.0;
  } else if (y <= -1.0) {
    pitch = HALF_PI;
    cosPitch = 0.0;
  } else {  // also NaN
    pitch = flushTiny(std::asin(-y));
    cosPitch = std::cos(pitch);
  }
  if (std::fabs(cosPitch) <= TINY) {
    out.x = flushTiny(std::atan2(-m.at(0, 2), m.at(0, 0)));
    out.z = 0.0;
  } else {
    out.x = flushTiny(std::atan2(m.at(2, 0), m.at(2, 2)));
    out.z = flushTiny(std::atan2(m.at(0, 1), m.at(1, 1)));
  }
  out.y = pitch;
}

namespace {

// Every step of the angle rounding must round to its own type. x87 builds keep
// excess precision in registers, and there the store is what rounds; where
// fused multiply-add exists, the store also keeps product and sum apart
// whatever the contraction flags. Elsewhere the plain value already is exact.
template <class T>
inline T stored(T v) {
#if FLT_EVAL_METHOD != 0 || defined(__FP_FAST_FMA)
  volatile T s = v;
  return s;
#else
  return v;
#endif
}

#if defined(__i386__) && !defined(__SSE2_MATH__)
// x87 rounds to 64 bits before the store rounds to 53, and that double
// rounding can miss the nearest double. With the precision control at 53 bits
// every step rounds once (a single step still rounds correctly afterwards:
// 53 >= 2 * 24 + 2).
class DoublePrecisionSteps {
 public:
  DoublePrecisionSteps() {
    __asm__ volatile("fnstcw %0" : "=m"(saved_));
    const unsigned short bits53 = static_cast<unsigned short>((saved_ & ~0x300u) | 0x200u);
    __asm__ volatile("fldcw %0" : : "m"(bits53));
  }
  ~DoublePrecisionSteps() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }
  DoublePrecisionSteps(const DoublePrecisionSteps&) = delete;
  DoublePrecisionSteps& operator=(const DoublePrecisionSteps&) = delete;

 private:
  unsigned short saved_;
};
#else
struct DoublePrecisionSteps {};
#endif

constexpr float SINGLE_PI = 3.1415927f;  // the single nearest to pi
constexpr float HALF_TURN_DEGREES = 180.0f;

inline double roundAngle(double c, bool biased) {
  if (!(std::fabs(c) > TINY)) return c;
  const double t = biased ? stored(c + stored(c * ANGLE_ROUND_BIAS)) : c;
  const float single = stored(static_cast<float>(t));
  const float degrees = stored(stored(single * HALF_TURN_DEGREES) / SINGLE_PI);
  return stored(static_cast<double>(degrees) * DEG_TO_RAD);
}

}  // namespace

void roundAngles(Vec3& v, bool biased) {
  [[maybe_unused]] const DoublePrecisionSteps steps;
  v.x = roundAngle(v.x, biased);
  v.y = roundAngle(v.y, biased);
  v.z = roundAngle(v.z, biased);
}

void reciprocalScale(Vec3& v) {
  for (double* c = v.data(); c != v.data() + 3; ++c) *c = *c == 0.0 ? 0.0 : 1.0 / *c;
}

void negateVec3(Vec3& v) {
  v.x = -v.x;
  v.y = -v.y;
  v.z = -v.z;
}

bool anyNonZero(const Vec3& v) { return v.x != 0.0 || v.y != 0.0 || v.z != 0.0; }

bool anyNotTiny(const Vec3& v) {
  // !(|c| < TINY) so that NaN counts.
  return !(std::fabs(v.x) < TINY) || !(std::fabs(v.y) < TINY) || !(std::fabs(v.z) < TINY);
}

}  // namespace kv
