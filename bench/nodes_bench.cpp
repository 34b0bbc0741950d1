// SPDX-License-Identifier: MIT
// Node evaluation through the loaded module with the substitute host: one time
// step of an Info node answering every output, against the three chain walks
// alone over the same host services, and one time step of each single-value
// node kind, on hierarchies 1, 8 and 64 levels deep.
//
// Counters, per time step: `host_calls`, the calls the host received (counted
// on one recorded step before timing); `min_calls`, the fewest the caching
// allows (derived below); `allocs`, the allocations made (counted over several
// steps by the replaced operator new; the target is zero).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/allocation_counter.h"
#include "host/host.h"
#include "nodes/chains.h"
#include "nodes/node_table.h"

namespace kv::host {
namespace {

// ---- The fewest host calls per time step ----
//
// Every evaluate call, whatever it then computes, asks the host whether the
// Item input is connected, evaluates it (the benches connect it), and ends by
// delivering the value; the time mode is "Cur", so the Time input is never
// consulted.
constexpr int CALLS_PER_REQUEST = 3;

// The walks over a chain of `depth` items, none of them a camera:
// orientation: per item scaling, rotation and pivot rotation, then its parent.
constexpr int orientationWalkCalls(int depth) { return 4 * depth; }
// axes: parent from the item up to the root (one per item), then per item
// pivot rotation, rotation and scaling.
constexpr int axesWalkCalls(int depth) { return 4 * depth; }
// world matrix: the item's scaling, rotation, pivot rotation and position; per
// ancestor its parent call, its pivot and the same four; a closing parent call
// that returns 0.
constexpr int worldWalkCalls(int depth) { return 4 + 6 * (depth - 1) + 1; }

// The item Info node's outputs, each requested once per step. Its caches
// let each walk run once per step; "Position", "Rotation", "Scale",
// "pivotPos", "pivotRot" and "Parent" cost one host call each on every request,
// "Item" none.
constexpr int ITEM_INFO_OUTPUT_COUNT = static_cast<int>(itemInfoOutputs.size());
constexpr int INFO_UNCACHED_CALLS = 6;
constexpr int infoStepMinCalls(int depth) {
  return ITEM_INFO_OUTPUT_COUNT * CALLS_PER_REQUEST + INFO_UNCACHED_CALLS + orientationWalkCalls(depth) +
         axesWalkCalls(depth) + worldWalkCalls(depth);
}
static_assert(infoStepMinCalls(1) == 64 && infoStepMinCalls(8) == 162);

// A single-value node caches nothing: each request makes its kind's calls,
// stated here for every single-value kind of the node table.
constexpr int oneCall(int) { return 1; }
struct KindCalls {
  const char* kind;
  int (*callsPerRequest)(int depth);
};
constexpr KindCalls SINGLE_KIND_CALLS[] = {
    {"Pos", oneCall},
    {"Rot", oneCall},
    {"Scl", oneCall},
    {"WPos", worldWalkCalls},
    {"WRot", orientationWalkCalls},
    {"MxW", axesWalkCalls},
    {"Mx", orientationWalkCalls},
};

constexpr const KindCalls* callsOf(std::string_view kind) {
  for (const KindCalls& entry : SINGLE_KIND_CALLS) {
    if (kind == entry.kind) return &entry;
  }
  return nullptr;
}

consteval bool everySingleKindHasItsCalls() {
  for (std::size_t k = NK_INFO + 1; k < NODE_KINDS; ++k) {
    if (!callsOf(kindTable<ItemInfoInstance>[k].name)) return false;
  }
  return true;
}
static_assert(everySingleKindHasItsCalls(), "state the host calls of every single-value kind in SINGLE_KIND_CALLS");

// ---- The scene ----

// A chain of `depth` objects; returns the deepest. Every level is scaled,
// rotated (keyed, so the time matters), pivot-rotated and has a pivot, so that
// every factor of every walk is applied.
ItemId buildChain(Scene& scene, int depth) {
  ItemId parent = 0;
  for (int i = 0; i < depth; ++i) {
    const double k = static_cast<double>(i);
    parent = scene.addObject("level" + std::to_string(i), parent);
    scene.setParam(parent, PARAM_POSITION, {0.5, 1.0 + k, -0.25});
    scene.setParamKeys(parent, PARAM_ROTATION, {{0.0, {0.1 * k, -0.05, 0.02 * k}}, {10.0, {0.3, 0.2 * k, -0.1}}});
    scene.setParam(parent, PARAM_SCALING, {1.01, 0.99, 1.0});
    scene.setParam(parent, PARAM_PIVOT, {0.0, 0.1, 0.05 * k});
    scene.setParam(parent, PARAM_PIVOT_ROTATION, {0.0, 0.01, 0.0});
  }
  return parent;
}

struct Bench {
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};
  ItemId leaf;
  int depth;

  explicit Bench(int levels) : leaf(buildChain(scene, levels)), depth(levels) { host.calls().setEnabled(false); }
};

double stepTime(int frame) { return frame / 24.0; }

// One time step: new-time, then every output once.
void step(HostNode& node, std::size_t outputs, int frame) {
  node.newTime(frame, stepTime(frame));
  for (std::size_t i = 0; i < outputs; ++i) benchmark::DoNotOptimize(node.evaluate(i));
}

// The counter must see an allocation made on purpose, or its zeros would mean nothing.
bool allocationCounterWorks() {
  AllocationCounter::arm();
  auto probe = std::make_unique<int>(1);
  int* raw = probe.get();
  benchmark::DoNotOptimize(raw);
  AllocationCounter::disarm();
  return AllocationCounter::all() == 1;
}

// Sets the per-step counters from one recorded step and a counted run of steps.
void countSteps(benchmark::State& state, Bench& bench, HostNode& node, std::size_t outputs, int minCalls) {
  constexpr int COUNTED_STEPS = 16;
  if (!allocationCounterWorks()) state.SkipWithError("the allocation counter does not see allocations");
  CallRecord& calls = bench.host.calls();
  calls.clear();
  calls.setEnabled(true);
  step(node, outputs, 1);
  calls.setEnabled(false);
  const auto recorded = static_cast<double>(calls.size());
  calls.clear();
  AllocationCounter::arm();
  for (int frame = 2; frame < 2 + COUNTED_STEPS; ++frame) step(node, outputs, frame);
  AllocationCounter::disarm();
  const std::size_t allocations = AllocationCounter::all();
  state.counters["host_calls"] = recorded;
  state.counters["min_calls"] = minCalls;
  state.counters["allocs"] = static_cast<double>(allocations) / COUNTED_STEPS;
}

// A node of `server` whose Item input delivers the deepest item.
struct LeafNode : HostNode {
  LeafNode(Bench& bench, const char* server) : HostNode(bench.host, bench.module, server) {
    connectInteger("Item", static_cast<std::int32_t>(bench.leaf));
  }
};

// ---- Benchmarks (argument: the depth of the hierarchy) ----

// Every output of one Info node, once per time step.
void BM_InfoStep(benchmark::State& state) {
  Bench bench(static_cast<int>(state.range(0)));
  LeafNode node(bench, "KvI_ITEM");
  const std::size_t outputs = node.outputs().size();
  countSteps(state, bench, node, outputs, infoStepMinCalls(bench.depth));
  int frame = 0;
  for (auto _ : state) step(node, outputs, frame++);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(outputs));
}
BENCHMARK(BM_InfoStep)->Arg(1)->Arg(8)->Arg(64);

// Every output again within the step, all walks cached: what the node costs
// beyond the walks (the host round trips and the uncached outputs).
void BM_InfoCachedPass(benchmark::State& state) {
  Bench bench(static_cast<int>(state.range(0)));
  LeafNode node(bench, "KvI_ITEM");
  const std::size_t outputs = node.outputs().size();
  step(node, outputs, 0);
  for (auto _ : state) {
    for (std::size_t i = 0; i < outputs; ++i) benchmark::DoNotOptimize(node.evaluate(i));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(outputs));
}
BENCHMARK(BM_InfoCachedPass)->Arg(1)->Arg(8)->Arg(64);

// The three walks alone, called directly over the substitute host's item-info
// service at the times the Info step samples.
void BM_ThreeWalks(benchmark::State& state) {
  Bench bench(static_cast<int>(state.range(0)));
  const ItemInfoService& info = itemInfoTable();
  Mat3 orientation, axes;
  Mat4 world;
  int frame = 0;
  for (auto _ : state) {
    const double time = stepTime(frame++);
    orientationChain(orientation, info, bench.leaf, time);
    axesChain(axes, info, bench.leaf, time);
    worldMatrixChain(world, info, bench.leaf, time);
    benchmark::DoNotOptimize(orientation);
    benchmark::DoNotOptimize(axes);
    benchmark::DoNotOptimize(world);
  }
}
BENCHMARK(BM_ThreeWalks)->Arg(1)->Arg(8)->Arg(64);

// Every output of one single-value node, once per time step.
void BM_SingleStep(benchmark::State& state, const NodeDef& node, const KindCalls& kind) {
  Bench bench(static_cast<int>(state.range(0)));
  LeafNode leafNode(bench, node.serverName);
  const std::size_t outputs = leafNode.outputs().size();
  countSteps(state, bench, leafNode, outputs,
             static_cast<int>(outputs) * (CALLS_PER_REQUEST + kind.callsPerRequest(bench.depth)));
  int frame = 0;
  for (auto _ : state) step(leafNode, outputs, frame++);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(outputs));
}

// BM_SingleStep/<kind> of the item family, for every single-value kind of the node table.
const bool singleStepsRegistered = [] {
  for (const NodeDef& node : nodeTable) {
    if (node.family != Family::Item || node.kind == NK_INFO) continue;
    const KindCalls& kind = *callsOf(kindTable<ItemInfoInstance>[node.kind].name);
    benchmark::RegisterBenchmark((std::string("BM_SingleStep/") + kind.kind).c_str(), BM_SingleStep, node, kind)
        ->Arg(1)
        ->Arg(8)
        ->Arg(64);
  }
  return true;
}();

}  // namespace
}  // namespace kv::host
