// SPDX-License-Identifier: MIT
// End to end through scenehost's evaluation path: a generated scene of 50
// nodes of every kind over an 8-level rig, placed on the substitute host and
// driven through 1,000 frames (new-time for every node, then every output of
// every node), as `scenehost eval` drives a scene file.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "contract/menu_groups.h"
#include "host/module_loader.h"
#include "scenehost/evaluation.h"
#include "scenehost/placed_scene.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {
namespace {

constexpr int RIG_DEPTH = 8;
constexpr int BONES = 5;
constexpr int NODES = 50;
constexpr FrameRange FRAMES{0, 999, 1};

using Json = nlohmann::ordered_json;

Json keyedTriple(double x, double y, double z) {
  return Json::array({{{"f", 0}, {"v", {0.0, 0.0, 0.0}}}, {{"f", FRAMES.last}, {"v", {x, y, z}}}});
}

// The rig "L0" .. "L7", each the parent of the next, all factors animated or
// set; a light and a camera hanging from it; an object "Skin" in the rig with
// a chain of bones "B0" .. "B4".
Json items() {
  Json list = Json::array();
  for (int i = 0; i < RIG_DEPTH; ++i) {
    const double k = static_cast<double>(i);
    Json item = {{"type", "object"}, {"name", "L" + std::to_string(i)}};
    if (i > 0) item["parent"] = "L" + std::to_string(i - 1);
    item["position"] = {0.0, 1.0, 0.5 * k};
    item["rotation"] = keyedTriple(0.2 * (k + 1.0), -0.3, 0.1 * k);
    item["scale"] = {1.0 + 0.01 * k, 1.0, 0.98};
    item["pivot"] = {0.0, 0.1, 0.0};
    item["pivotRotation"] = {0.0, 0.02 * k, 0.0};
    list.push_back(item);
  }
  list.push_back({{"type", "light"}, {"name", "Key"}, {"parent", "L3"}, {"position", {4.0, 6.0, -4.0}}});
  list.push_back({{"type", "camera"},
                  {"name", "Cam"},
                  {"parent", "L7"},
                  {"position", {0.0, 2.0, -8.0}},
                  {"rotation", keyedTriple(0.0, 0.3, 0.0)}});
  list.push_back({{"type", "object"}, {"name", "Skin"}, {"parent", "L2"}, {"position", {3.0, 0.0, 0.0}}});
  for (int b = 0; b < BONES; ++b) {
    Json bone = {{"type", "bone"}, {"name", "B" + std::to_string(b)}, {"owner", "Skin"}};
    if (b > 0) bone["parent"] = "B" + std::to_string(b - 1);
    bone["position"] = {0.0, 0.0, 1.0};
    bone["rotation"] = keyedTriple(0.0, 0.2 * b, 0.1);
    bone["restPosition"] = {0.0, 0.0, 1.0};
    bone["restRotation"] = {0.0, 0.1 * b, 0.0};
    list.push_back(bone);
  }
  return list;
}

// The module's nodes: their user names, and whether each is a bone node.
std::vector<std::pair<std::string, bool>> nodeServers(const host::LoadedModule& module) {
  std::vector<std::pair<std::string, bool>> servers;
  for (const host::ServerInfo& server : module.servers()) {
    if (server.className != NODE_HANDLER_CLASS) continue;
    servers.emplace_back(server.tag(TAG_USER_NAME).value_or(server.name),
                         server.tag(TAG_MENU_GROUP) == BONE_MENU_GROUP);
  }
  return servers;
}

constexpr std::array<const char*, 8> ITEM_TARGETS = {"L7", "L5", "Cam", "L3", "Key", "L6", "L1", "Skin"};

// Node n: the kinds in turn; time modes, a keyed Time input and a switching
// Item input spread over them. Every output of every node is evaluated.
Json nodes(const std::vector<std::pair<std::string, bool>>& servers) {
  Json list = Json::array();
  for (int n = 0; n < NODES; ++n) {
    const auto& [server, bone] = servers[static_cast<std::size_t>(n) % servers.size()];
    Json node = {{"name", "n" + std::to_string(n)}, {"server", server}};
    if (!bone) {
      node["item"] = ITEM_TARGETS[static_cast<std::size_t>(n) % ITEM_TARGETS.size()];
    } else {
      node["object"] = "Skin";
      node["bone"] = "B" + std::to_string(n % BONES);
    }
    if (n % 3 == 1) {
      node["mode"] = "Rel";
      node["time"] = -0.25;
    } else if (n % 5 == 2) {
      node["mode"] = "Abs";
      node["time"] = 1.5;
      node["inputs"]["Time"] = Json::array({{{"f", 0}, {"v", 0.0}}, {{"f", FRAMES.last}, {"v", 5.0}}});
    }
    if (!bone && n % 7 == 4) {
      node["inputs"]["Item"] = Json::array({{{"f", 0}, {"v", "L2"}}, {{"f", FRAMES.last / 2}, {"v", "L6"}}});
    }
    list.push_back(node);
  }
  return list;
}

Json sceneDocument(const host::LoadedModule& module) {
  return {{"fps", 24}, {"items", items()}, {"nodes", nodes(nodeServers(module))}};
}

// Argument: 0 times the module and the host's services alone, as `scenehost eval`
// runs them; 1 keeps the host's call record on, to show what recording costs.
void BM_SceneFrames(benchmark::State& state) {
  const bool recording = state.range(0) != 0;
  const host::LoadedModule module(KV_MODULE_PATH);
  SceneFile file = parseSceneFile(sceneDocument(module), "generated.json");
  std::ostringstream warnings;
  PlacedScene placed(file, module, warnings);
  placed.host().calls().setEnabled(recording);
  std::int64_t requests = 0;
  for (const PlacedNode& node : placed.nodes()) requests += static_cast<std::int64_t>(node.outputs.size());
  const std::int64_t frames = FRAMES.last - FRAMES.first + 1;
  for (auto _ : state) {
    evaluateFrames(placed, FRAMES, warnings, [](const EvaluatedFrame& frame) { benchmark::DoNotOptimize(frame); });
    state.PauseTiming();
    placed.host().calls().clear();
    state.ResumeTiming();
  }
  if (!warnings.str().empty()) state.SkipWithError(("the evaluation warned: " + warnings.str()).c_str());
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["nodes"] = static_cast<double>(placed.nodes().size());
  state.counters["frames_per_s"] = benchmark::Counter(iterations * frames, benchmark::Counter::kIsRate);
  state.counters["node_steps_per_s"] =
      benchmark::Counter(iterations * frames * static_cast<double>(placed.nodes().size()), benchmark::Counter::kIsRate);
  state.counters["evaluations_per_s"] =
      benchmark::Counter(iterations * frames * static_cast<double>(requests), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SceneFrames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv::scenehost
