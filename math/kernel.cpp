#include "math/kernel.h"

#include <cfloat>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

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

struct RowIn {
  double r0, r1, r2;
};

// o = r × the 3×3 block whose rows are b0, b1, b2, each element summed as
// (r0·b0 + r1·b1) + r2·b2. The paired and the scalar form round the same
// operations in the same order, so the bits do not depend on which one ran,
// nor on alignment. `o` may alias the row that `r` was read from.
inline void rowTimesBlock(double* o, RowIn r, const double* b0, const double* b1, const double* b2) {
#if defined(__SSE2__)
  const __m128d x = _mm_set1_pd(r.r0), y = _mm_set1_pd(r.r1), z = _mm_set1_pd(r.r2);
  const __m128d first = _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, _mm_loadu_pd(b0)), _mm_mul_pd(y, _mm_loadu_pd(b1))),
                                   _mm_mul_pd(z, _mm_loadu_pd(b2)));
  const __m128d third = _mm_add_sd(_mm_add_sd(_mm_mul_sd(x, _mm_load_sd(b0 + 2)), _mm_mul_sd(y, _mm_load_sd(b1 + 2))),
                                   _mm_mul_sd(z, _mm_load_sd(b2 + 2)));
  _mm_storeu_pd(o, first);
  _mm_store_sd(o + 2, third);
#else
  o[0] = r.r0 * b0[0] + r.r1 * b1[0] + r.r2 * b2[0];
  o[1] = r.r0 * b0[1] + r.r1 * b1[1] + r.r2 * b2[1];
  o[2] = r.r0 * b0[2] + r.r1 * b1[2] + r.r2 * b2[2];
#endif
}

}  // namespace

void mulMat3(Mat3& dst, const Mat3& a, const Mat3& b) {
  for (int i = 0; i < 3; ++i) {
    const RowIn r{a.at(i, 0), a.at(i, 1), a.at(i, 2)};
    rowTimesBlock(&dst.m[3 * i], r, b.row(0), b.row(1), b.row(2));
  }
}

void mulMat4(Mat4& dst, const Mat4& a, const Mat4& b) {
  for (int i = 0; i < 4; ++i) {
    const RowIn r{a.at(i, 0), a.at(i, 1), a.at(i, 2)};
    rowTimesBlock(&dst.m[4 * i], r, b.row(0), b.row(1), b.row(2));
  }
  for (int j = 0; j < 3; ++j) dst.at(3, j) += b.at(3, j);
  dst.at(0, 3) = 0.0;
  dst.at(1, 3) = 0.0;
  dst.at(2, 3) = 0.0;
  dst.at(3, 3) = b.at(3, 3);
}

void rotationMat3(Mat3& out, const Vec3& hpb) {
  const double sH = std::sin(hpb.x), cH = std::cos(hpb.x);
  const double sP = std::sin(hpb.y), cP = std::cos(hpb.y);
  const double sB = std::sin(hpb.z), cB = std::cos(hpb.z);
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
  Mat3 r;
  rotationMat3(r, hpb);
  identityMat4(out);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out.at(i, j) = r.at(i, j);
  }
}

void reverseRotationMat3(Mat3& out, const Vec3& a) {
  const double s0 = std::sin(a.x), c0 = std::cos(a.x);
  const double s1 = std::sin(a.y), c1 = std::cos(a.y);
  const double s2 = std::sin(a.z), c2 = std::cos(a.z);
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
  double pitch;
  double cosPitch;
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
