// The kernel's products, builders and rounding, and the three walks over a
// ten-level hierarchy served from a static table.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

#include "math/chains.h"
#include "math/kernel.h"

namespace kv {
namespace {

void BM_MulMat3InPlace(benchmark::State& state) {
  Mat3 acc, factor;
  rotationMat3(acc, {0.1, 0.2, 0.3});
  rotationMat3(factor, {0.3, -0.2, 0.1});
  for (auto _ : state) {
    mulMat3(acc, acc, factor);
    benchmark::DoNotOptimize(acc);
  }
}
BENCHMARK(BM_MulMat3InPlace);

void BM_MulMat4InPlace(benchmark::State& state) {
  Mat4 acc, factor;
  rotationMat4(acc, {0.1, 0.2, 0.3});
  rotationMat4(factor, {0.3, -0.2, 0.1});
  factor.at(3, 0) = 1.0;
  for (auto _ : state) {
    mulMat4(acc, acc, factor);
    benchmark::DoNotOptimize(acc);
  }
}
BENCHMARK(BM_MulMat4InPlace);

void BM_RotationMat3(benchmark::State& state) {
  Vec3 hpb{0.1, 0.2, 0.3};
  Mat3 out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(hpb);
    rotationMat3(out, hpb);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_RotationMat3);

void BM_RoundAngles(benchmark::State& state) {
  const bool biased = state.range(0) != 0;
  for (auto _ : state) {
    Vec3 v{0.1, -1.2, 2.3};
    benchmark::DoNotOptimize(v);
    roundAngles(v, biased);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_RoundAngles)->Arg(0)->Arg(1);

void BM_EulerFromMatrix(benchmark::State& state) {
  Mat3 m;
  rotationMat3(m, {0.1, 0.2, 0.3});
  Vec3 out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m);
    eulerFromMatrix(m, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_EulerFromMatrix);

// Objects 1..10, each the parent of the next; every triple non-zero so that
// no gate skips a factor.
constexpr ItemId DEPTH = 10;
constexpr ItemId OBJECT = 0x10000000;

ItemId tableParent(ItemId item) { return (item & 0xFFFF) > 1 ? item - 1 : 0; }

void tableParam(ItemId item, int code, double time, double* out) {
  const double n = static_cast<double>(item & 0xFFFF);
  const std::array<double, 3> v = code == PARAM_SCALING ? std::array{1.0 + 0.01 * n, 1.0, 1.0 - 0.01 * n}
                                                        : std::array{0.01 * n + 0.001 * code + time, 0.02, -0.03};
  out[0] = v[0];
  out[1] = v[1];
  out[2] = v[2];
}

const ItemInfoService& tableService() {
  static const ItemInfoService service = [] {
    ItemInfoService s{};
    s.parent = &tableParent;
    s.param = &tableParam;
    return s;
  }();
  return service;
}

void BM_OrientationChain(benchmark::State& state) {
  Mat3 out;
  for (auto _ : state) {
    orientationChain(out, tableService(), OBJECT | DEPTH, 0.5);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_OrientationChain);

void BM_AxesChain(benchmark::State& state) {
  Mat3 out;
  for (auto _ : state) {
    axesChain(out, tableService(), OBJECT | DEPTH, 0.5);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_AxesChain);

void BM_WorldMatrixChain(benchmark::State& state) {
  Mat4 out;
  for (auto _ : state) {
    worldMatrixChain(out, tableService(), OBJECT | DEPTH, 0.5);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_WorldMatrixChain);

}  // namespace
}  // namespace kv
