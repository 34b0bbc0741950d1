// SPDX-License-Identifier: MIT
// The kernel's operations beside the same operations written with Eigen, in
// one binary with the same flags. Each iteration takes the next input from a
// pool of varied values, so neither side can fold a constant or reuse a
// previous result; every output goes through DoNotOptimize. Before timing,
// each Eigen version is checked against the kernel on the whole pool, so that
// the two sides are known to compute the same thing. Each Eigen operation is
// timed twice: called like the kernel's, and inlined into the loop.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "math/kernel.h"

namespace kv {
namespace {

constexpr std::size_t POOL = 256;  // a power of two: the index wraps with a mask

// Angles spread over several turns, with a few exact zeros and tiny values so
// that the rounding's skip path is taken too.
Vec3 poolAngles(std::size_t i) {
  const double k = static_cast<double>(i);
  Vec3 v{std::sin(0.37 * k) * 4.0, std::cos(0.71 * k) * 1.5, std::sin(1.13 * k + 0.5) * 3.0};
  if (i % 17 == 0) v.y = 0.0;
  if (i % 29 == 0) v.z = 1e-17;
  return v;
}

struct Pools {
  std::vector<Vec3> angles;
  std::vector<Mat3> rot3, other3;
  std::vector<Mat4> rot4, other4;
  std::vector<Eigen::Vector3d> eAngles;
  std::vector<Eigen::Matrix3d> eRot3, eOther3;
  std::vector<Eigen::Matrix4d> eRot4, eOther4;

  Pools() {
    for (std::size_t i = 0; i < POOL; ++i) {
      const Vec3 a = poolAngles(i);
      const Vec3 b = poolAngles(POOL - 1 - i);
      angles.push_back(a);
      Mat3 r, s;
      rotationMat3(r, a);
      rotationMat3(s, b);
      // A scaled factor, so that products are not only rotations.
      Mat3 scale;
      scaleMat3(scale, {1.0 + 0.001 * static_cast<double>(i), 0.5, 2.0});
      Mat3 scaled;
      mulMat3(scaled, s, scale);
      rot3.push_back(r);
      other3.push_back(scaled);
      Mat4 r4, s4;
      rotationMat4(r4, a);
      rotationMat4(s4, b);
      r4.at(3, 0) = 0.25 * static_cast<double>(i);
      r4.at(3, 2) = -1.0;
      s4.at(3, 1) = 3.0 - 0.5 * static_cast<double>(i % 7);
      rot4.push_back(r4);
      other4.push_back(s4);
      eAngles.emplace_back(a.x, a.y, a.z);
      eRot3.push_back(toEigen(r));
      eOther3.push_back(toEigen(scaled));
      eRot4.push_back(toEigen(r4));
      eOther4.push_back(toEigen(s4));
    }
  }

  static Eigen::Matrix3d toEigen(const Mat3& m) {
    Eigen::Matrix3d e;
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) e(r, c) = m.at(r, c);
    }
    return e;
  }
  static Eigen::Matrix4d toEigen(const Mat4& m) {
    Eigen::Matrix4d e;
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) e(r, c) = m.at(r, c);
    }
    return e;
  }
};

const Pools& pools() {
  static const Pools p;
  return p;
}

// ---- The Eigen versions: the kernel's formulas over Eigen types. ----

void eigenRotation(Eigen::Matrix3d& out, const Eigen::Vector3d& hpb) {
  const double sH = std::sin(hpb.x()), cH = std::cos(hpb.x());
  const double sP = std::sin(hpb.y()), cP = std::cos(hpb.y());
  const double sB = std::sin(hpb.z()), cB = std::cos(hpb.z());
  out << cH * cB + sH * sP * sB, cP * sB, cH * sP * sB - sH * cB,  //
      sH * sP * cB - cH * sB, cP * cB, cH * sP * cB + sH * sB,     //
      sH * cP, -sP, cH * cP;
}

double eigenFlushTiny(double v) { return std::fabs(v) <= TINY ? 0.0 : v; }

void eigenEuler(const Eigen::Matrix3d& m, Eigen::Vector3d& out) {
  const double y = m(2, 1);
  double pitch, cosPitch;
  if (y >= 1.0) {
    pitch = -HALF_PI;
    cosPitch = 0.0;
  } else if (y <= -1.0) {
    pitch = HALF_PI;
    cosPitch = 0.0;
  } else {
    pitch = eigenFlushTiny(std::asin(-y));
    cosPitch = std::cos(pitch);
  }
  if (std::fabs(cosPitch) <= TINY) {
    out << eigenFlushTiny(std::atan2(-m(0, 2), m(0, 0))), pitch, 0.0;
  } else {
    out << eigenFlushTiny(std::atan2(m(2, 0), m(2, 2))), pitch, eigenFlushTiny(std::atan2(m(0, 1), m(1, 1)));
  }
}

void eigenRoundAngles(Eigen::Array3d& v, bool biased) {
  const Eigen::Array3d t = biased ? Eigen::Array3d(v + v * ANGLE_ROUND_BIAS) : v;
  const Eigen::Array3f degrees = (t.cast<float>() * 180.0f) / 3.1415927f;
  const Eigen::Array3d radians = degrees.cast<double>() * DEG_TO_RAD;
  v = (v.abs() > TINY).select(radians, v);
}

// ---- Agreement of the two sides over the pool. ----

bool near(double a, double b) { return std::fabs(a - b) <= 1e-12 * (1.0 + std::fabs(a)); }

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

template <class Kernel, class Eigen_>
bool agree3(const Kernel& k, const Eigen_& e, bool exact) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      if (exact ? !sameBits(k.at(r, c), e(r, c)) : !near(k.at(r, c), e(r, c))) return false;
    }
  }
  return true;
}

bool productsAgree() {
  const Pools& p = pools();
  for (std::size_t i = 0; i < POOL; ++i) {
    Mat3 k3;
    mulMat3(k3, p.rot3[i], p.other3[i]);
    const Eigen::Matrix3d e3 = p.eRot3[i] * p.eOther3[i];
    Mat4 k4;
    mulMat4(k4, p.rot4[i], p.other4[i]);
    const Eigen::Matrix4d e4 = p.eRot4[i] * p.eOther4[i];
    if (!agree3(k3, e3, false)) return false;
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        if (!near(k4.at(r, c), e4(r, c))) return false;
      }
    }
  }
  return true;
}

bool buildersAgree() {
  const Pools& p = pools();
  for (std::size_t i = 0; i < POOL; ++i) {
    Mat3 k;
    rotationMat3(k, p.angles[i]);
    Eigen::Matrix3d e;
    eigenRotation(e, p.eAngles[i]);
    if (!agree3(k, e, true)) return false;
    Vec3 kEuler;
    eulerFromMatrix(p.other3[i], kEuler);
    Eigen::Vector3d eEuler;
    eigenEuler(p.eOther3[i], eEuler);
    for (int c = 0; c < 3; ++c) {
      if (!sameBits(kEuler.data()[c], eEuler(c))) return false;
    }
    for (const bool biased : {false, true}) {
      Vec3 kr = p.angles[i];
      roundAngles(kr, biased);
      Eigen::Array3d er = p.eAngles[i].array();
      eigenRoundAngles(er, biased);
      for (int c = 0; c < 3; ++c) {
        if (!sameBits(kr.data()[c], er(c))) return false;
      }
    }
  }
  return true;
}

// Skips the benchmark with a message when the two sides disagree.
bool checked(benchmark::State& state, bool agree) {
  if (!agree) state.SkipWithError("the Eigen version does not compute what the kernel does");
  return agree;
}

// Runs body(i) once per iteration over the pool indices.
template <class Body>
void overPool(benchmark::State& state, Body body) {
  std::size_t i = 0;
  for (auto _ : state) {
    body(i);
    i = (i + 1) & (POOL - 1);
  }
}

// The Eigen operations as functions of their own, called like the kernel's
// (which live in a library and are never inlined into the caller), so that
// the two sides pay the same call. The "inline" benchmarks let the compiler
// fold the Eigen code into the loop, as a caller of Eigen would get it.
[[gnu::noinline]] void eigenMul3(Eigen::Matrix3d& out, const Eigen::Matrix3d& a, const Eigen::Matrix3d& b) {
  out.noalias() = a * b;
}
[[gnu::noinline]] void eigenMul4(Eigen::Matrix4d& out, const Eigen::Matrix4d& a, const Eigen::Matrix4d& b) {
  out.noalias() = a * b;
}
[[gnu::noinline]] void eigenMul3InPlace(Eigen::Matrix3d& acc, const Eigen::Matrix3d& b) {
  acc = acc * b;  // aliasing: Eigen evaluates into a temporary
}
[[gnu::noinline]] void eigenRotationCall(Eigen::Matrix3d& out, const Eigen::Vector3d& hpb) { eigenRotation(out, hpb); }
[[gnu::noinline]] void eigenEulerCall(const Eigen::Matrix3d& m, Eigen::Vector3d& out) { eigenEuler(m, out); }
[[gnu::noinline]] void eigenRoundCall(Eigen::Array3d& v, bool biased) { eigenRoundAngles(v, biased); }

// ---- mulMat3 ----

void BM_Kernel_mulMat3(benchmark::State& state) {
  if (!checked(state, productsAgree())) return;
  const Pools& p = pools();
  Mat3 out;
  overPool(state, [&](std::size_t i) {
    mulMat3(out, p.rot3[i], p.other3[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Kernel_mulMat3);

void BM_Eigen_mulMat3(benchmark::State& state) {
  if (!checked(state, productsAgree())) return;
  const Pools& p = pools();
  Eigen::Matrix3d out;
  overPool(state, [&](std::size_t i) {
    eigenMul3(out, p.eRot3[i], p.eOther3[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Eigen_mulMat3);

void BM_EigenInline_mulMat3(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Matrix3d out;
  overPool(state, [&](std::size_t i) {
    out.noalias() = p.eRot3[i] * p.eOther3[i];
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_EigenInline_mulMat3);

// The walks' use: one accumulator, multiplied in place.
void BM_Kernel_mulMat3InPlace(benchmark::State& state) {
  const Pools& p = pools();
  Mat3 acc = p.rot3[0];
  overPool(state, [&](std::size_t i) {
    mulMat3(acc, acc, p.rot3[i]);
    benchmark::DoNotOptimize(acc);
  });
}
BENCHMARK(BM_Kernel_mulMat3InPlace);

void BM_Eigen_mulMat3InPlace(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Matrix3d acc = p.eRot3[0];
  overPool(state, [&](std::size_t i) {
    eigenMul3InPlace(acc, p.eRot3[i]);
    benchmark::DoNotOptimize(acc);
  });
}
BENCHMARK(BM_Eigen_mulMat3InPlace);

void BM_EigenInline_mulMat3InPlace(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Matrix3d acc = p.eRot3[0];
  overPool(state, [&](std::size_t i) {
    acc = acc * p.eRot3[i];
    benchmark::DoNotOptimize(acc);
  });
}
BENCHMARK(BM_EigenInline_mulMat3InPlace);

// ---- mulMat4 ----

void BM_Kernel_mulMat4(benchmark::State& state) {
  if (!checked(state, productsAgree())) return;
  const Pools& p = pools();
  Mat4 out;
  overPool(state, [&](std::size_t i) {
    mulMat4(out, p.rot4[i], p.other4[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Kernel_mulMat4);

void BM_Eigen_mulMat4(benchmark::State& state) {
  if (!checked(state, productsAgree())) return;
  const Pools& p = pools();
  Eigen::Matrix4d out;
  overPool(state, [&](std::size_t i) {
    eigenMul4(out, p.eRot4[i], p.eOther4[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Eigen_mulMat4);

void BM_EigenInline_mulMat4(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Matrix4d out;
  overPool(state, [&](std::size_t i) {
    out.noalias() = p.eRot4[i] * p.eOther4[i];
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_EigenInline_mulMat4);

// ---- rotationMat3 ----

void BM_Kernel_rotationMat3(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const Pools& p = pools();
  Mat3 out;
  overPool(state, [&](std::size_t i) {
    rotationMat3(out, p.angles[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Kernel_rotationMat3);

void BM_Eigen_rotationMat3(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const Pools& p = pools();
  Eigen::Matrix3d out;
  overPool(state, [&](std::size_t i) {
    eigenRotationCall(out, p.eAngles[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Eigen_rotationMat3);

void BM_EigenInline_rotationMat3(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Matrix3d out;
  overPool(state, [&](std::size_t i) {
    eigenRotation(out, p.eAngles[i]);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_EigenInline_rotationMat3);

// ---- eulerFromMatrix ----

void BM_Kernel_eulerFromMatrix(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const Pools& p = pools();
  Vec3 out;
  overPool(state, [&](std::size_t i) {
    eulerFromMatrix(p.other3[i], out);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Kernel_eulerFromMatrix);

void BM_Eigen_eulerFromMatrix(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const Pools& p = pools();
  Eigen::Vector3d out;
  overPool(state, [&](std::size_t i) {
    eigenEulerCall(p.eOther3[i], out);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_Eigen_eulerFromMatrix);

void BM_EigenInline_eulerFromMatrix(benchmark::State& state) {
  const Pools& p = pools();
  Eigen::Vector3d out;
  overPool(state, [&](std::size_t i) {
    eigenEuler(p.eOther3[i], out);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_EigenInline_eulerFromMatrix);

// ---- roundAngles (argument: 1 for the biased mode) ----

void BM_Kernel_roundAngles(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const bool biased = state.range(0) != 0;
  const Pools& p = pools();
  overPool(state, [&](std::size_t i) {
    Vec3 v = p.angles[i];
    roundAngles(v, biased);
    benchmark::DoNotOptimize(v);
  });
}
BENCHMARK(BM_Kernel_roundAngles)->Arg(0)->Arg(1);

void BM_Eigen_roundAngles(benchmark::State& state) {
  if (!checked(state, buildersAgree())) return;
  const bool biased = state.range(0) != 0;
  const Pools& p = pools();
  overPool(state, [&](std::size_t i) {
    Eigen::Array3d v = p.eAngles[i].array();
    eigenRoundCall(v, biased);
    benchmark::DoNotOptimize(v);
  });
}
BENCHMARK(BM_Eigen_roundAngles)->Arg(0)->Arg(1);

void BM_EigenInline_roundAngles(benchmark::State& state) {
  const bool biased = state.range(0) != 0;
  const Pools& p = pools();
  overPool(state, [&](std::size_t i) {
    Eigen::Array3d v = p.eAngles[i].array();
    eigenRoundAngles(v, biased);
    benchmark::DoNotOptimize(v);
  });
}
BENCHMARK(BM_EigenInline_roundAngles)->Arg(0)->Arg(1);

}  // namespace
}  // namespace kv
