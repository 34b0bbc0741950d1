// Node evaluation through the loaded module with the substitute host, call
// recording off: what one time step of an Info node costs against the
// single-value nodes that walk their chain on every request.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace kv::host {
namespace {

// A chain of `depth` objects, each rotated, scaled and offset; returns the deepest.
ItemId buildChain(Scene& scene, int depth) {
  ItemId parent = 0;
  for (int i = 0; i < depth; ++i) {
    parent = scene.addObject("level" + std::to_string(i), parent);
    scene.setParam(parent, PARAM_POSITION, {0.5, 1.0 + i, -0.25});
    scene.setParam(parent, PARAM_ROTATION, {0.1 * i, -0.05, 0.02 * i});
    scene.setParam(parent, PARAM_SCALING, {1.01, 0.99, 1.0});
    scene.setParam(parent, PARAM_PIVOT_ROTATION, {0.0, 0.01, 0.0});
  }
  return parent;
}

struct Bench {
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};
  ItemId leaf;

  explicit Bench(int depth) : leaf(buildChain(scene, depth)) { host.calls().setEnabled(false); }
};

// Every output of one Info node, once per time step.
void BM_InfoNodeTimeStep(benchmark::State& state) {
  Bench bench(static_cast<int>(state.range(0)));
  HostNode node(bench.host, bench.module, "KvI_ITEM");
  node.connectInteger("Item", static_cast<std::int32_t>(bench.leaf));
  const std::vector<PortInfo> outputs = node.outputs();
  int frame = 0;
  for (auto _ : state) {
    node.newTime(frame, frame / 24.0);
    ++frame;
    for (std::size_t i = 0; i < outputs.size(); ++i) benchmark::DoNotOptimize(node.evaluate(i));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(outputs.size()));
}
BENCHMARK(BM_InfoNodeTimeStep)->Arg(1)->Arg(10);

// A cached output requested again in the same step: the host's repeated request path.
void BM_InfoNodeCachedOutput(benchmark::State& state) {
  Bench bench(10);
  HostNode node(bench.host, bench.module, "KvI_ITEM");
  node.connectInteger("Item", static_cast<std::int32_t>(bench.leaf));
  node.newTime(0, 0.0);
  node.evaluate("W Pos");
  for (auto _ : state) benchmark::DoNotOptimize(node.evaluate("W Pos"));
}
BENCHMARK(BM_InfoNodeCachedOutput);

// A single-value node walks its chain on every request, components included.
void BM_SingleValueNode(benchmark::State& state, const char* server, const char* output) {
  Bench bench(10);
  HostNode node(bench.host, bench.module, server);
  node.connectInteger("Item", static_cast<std::int32_t>(bench.leaf));
  node.newTime(0, 0.0);
  for (auto _ : state) benchmark::DoNotOptimize(node.evaluate(output));
}
BENCHMARK_CAPTURE(BM_SingleValueNode, WorldPosition, "KvI_ITEMWP", "W Pos");
BENCHMARK_CAPTURE(BM_SingleValueNode, WorldRotation, "KvI_ITEMWR", "W Rot");
BENCHMARK_CAPTURE(BM_SingleValueNode, AxesRows, "KvI_ITEMMW", "W Rgt");
BENCHMARK_CAPTURE(BM_SingleValueNode, Position, "KvI_ITEMP", "X");

}  // namespace
}  // namespace kv::host
