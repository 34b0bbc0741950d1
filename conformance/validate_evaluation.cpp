// SPDX-License-Identifier: MIT
// The evaluation group: every output of every node over scenes with awkward
// but finite values (zero and negative scales, subnormal and tiny numbers,
// cameras under bones, hierarchies 10,000 levels deep, bones whose owner is
// gone, parents and lists that loop) must be finite; over NaN, infinite and huge values every evaluation
// must still deliver exactly one value. After lists that loop onto their last item, a node given an item
// by its list number in the panel must evaluate as one that loads the item.
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"
#include "contract/panel_ids.h"

namespace kv::conformance {
namespace {

constexpr int DEEP_OBJECTS = 10000;
constexpr int DEEP_BONES = 3000;  // the scene's bone identifiers run out at 4095

bool sameBits(const host::OutputValue& a, const host::OutputValue& b) {
  return a.deliveries == b.deliveries &&
         std::bit_cast<std::array<std::uint64_t, 3>>(a.vector) ==
             std::bit_cast<std::array<std::uint64_t, 3>>(b.vector) &&
         std::bit_cast<std::uint64_t>(a.scalar) == std::bit_cast<std::uint64_t>(b.scalar) && a.integer == b.integer;
}

bool finite(const host::OutputValue& value) {
  return std::isfinite(value.vector[0]) && std::isfinite(value.vector[1]) && std::isfinite(value.vector[2]) &&
         std::isfinite(value.scalar);
}

std::string valueText(const host::OutputValue& value) {
  return std::to_string(value.deliveries) + " values, last (" + host::formatDouble(value.vector[0]) + ", " +
         host::formatDouble(value.vector[1]) + ", " + host::formatDouble(value.vector[2]) + ") scalar " +
         host::formatDouble(value.scalar);
}

class EvaluationRun {
 public:
  explicit EvaluationRun(ValidateContext& context)
      : context_(context),
        random_(context.random("evaluation")),
        draw_(random_),
        servers_(nodeServers(*context.module)) {}

  void run() {
    CheckReport& r = context_.report;
    const std::string finiteOutputs = "one finite value from every output";
    {
      Tally tally;
      for (int scene = 0; scene < 4 * context_.scale(); ++scene) {
        withScene([&](host::Scene& s) { buildRandomScene(s, draw_, 8); }, tally, true, "random scene");
      }
      tally.report(r, "evaluation: random scenes, cameras and bones", finiteOutputs, "evaluation");
      // Finite is easy for a node that delivers nothing but zeros.
      r.check(nonZero_ > 0, "evaluation: sampled items show through", "non-zero values from random scenes",
              std::to_string(nonZero_) + " non-zero values");
    }
    {
      Tally tally;
      for (int scene = 0; scene < 4 * context_.scale(); ++scene)
        withScene(awkwardScene(), tally, true, "awkward scene");
      tally.report(r, "evaluation: zero and negative scales, subnormal and tiny values", finiteOutputs, "evaluation");
    }
    {
      Tally tally;
      withScene(deepScene(), tally, true, "hierarchy 10000 deep");
      tally.report(r, "evaluation: hierarchies 10000 objects and 3000 bones deep", finiteOutputs, "evaluation");
    }
    {
      Tally tally;
      for (int scene = 0; scene < 4 * context_.scale(); ++scene) withScene(loopedScene(), tally, true, "looped scene");
      tally.report(r, "evaluation: parents and item lists that loop", finiteOutputs, "evaluation");
    }
    {
      Tally tally;
      for (int scene = 0; scene < context_.scale(); ++scene) numberedAfterLoops(tally);
      tally.report(r, "evaluation: items chosen by number after lists that loop onto their last item",
                   "the values of a node that loads the item at that number", "evaluation");
    }
    {
      Tally tally;
      for (int scene = 0; scene < 2 * context_.scale(); ++scene) orphanBones(tally);
      tally.report(r, "evaluation: bones whose owner is missing", finiteOutputs, "evaluation");
    }
    {
      Tally tally;
      for (int scene = 0; scene < 4 * context_.scale(); ++scene) withScene(hostileScene(), tally, false, "NaN scene");
      tally.report(r, "evaluation: NaN, infinite and huge values", "exactly one value from every output", "evaluation");
    }
  }

 private:
  using Build = std::function<void(host::Scene&)>;

  // Random transforms drawn by `value` (given the param code) on every item of
  // a random scene.
  Build edited(std::function<host::Triple(int)> value) {
    return [this, value](host::Scene& scene) {
      buildRandomScene(scene, draw_, 6);
      for (const ItemId item : sceneItems(scene)) {
        for (const int code : {PARAM_POSITION, PARAM_ROTATION, PARAM_SCALING, PARAM_PIVOT, PARAM_PIVOT_ROTATION}) {
          if (draw_.chance(0.4)) scene.setParam(item, code, value(code));
        }
        if (host::itemTypeOf(item) == IT_BONE && draw_.chance(0.4)) {
          scene.setRest(item, PARAM_ROTATION, value(PARAM_ROTATION));
        }
      }
      // A camera under the last bone.
      const std::vector<ItemId> items = sceneItems(scene);
      scene.addCamera("Under a bone", items.back());
    };
  }

  // Zero and negative scales; subnormal and tiny values everywhere else. A
  // tiny scale is left out: its reciprocal (the inverse chain) overflows.
  Build awkwardScene() {
    return edited([this](int code) {
      const double tiny[] = {0.0, -0.0, std::numeric_limits<double>::denorm_min(), 1e-310, 1e-300, -1e-160, -1.0};
      const double scales[] = {0.0, -0.0, -1.0, -0.5, 2.0};
      host::Triple triple;
      for (double& v : triple) {
        if (!draw_.chance(0.5)) {
          v = draw_.uniform(-3.0, 3.0);
        } else if (code == PARAM_SCALING) {
          v = scales[draw_.below(std::size(scales))];
        } else {
          v = tiny[draw_.below(std::size(tiny))];
        }
      }
      return triple;
    });
  }

  Build hostileScene() {
    return edited([this](int) { return host::Triple{draw_.edge(), draw_.edge(), draw_.edge()}; });
  }

  Build deepScene() {
    return [this](host::Scene& scene) {
      ItemId parent = 0;
      for (int i = 0; i < DEEP_OBJECTS; ++i) {
        parent = scene.addObject("Level " + std::to_string(i), parent);
        scene.setParam(parent, PARAM_POSITION, {draw_.uniform(-1, 1), draw_.uniform(-1, 1), draw_.uniform(-1, 1)});
        scene.setParam(parent, PARAM_ROTATION, {draw_.uniform(-3, 3), draw_.uniform(-3, 3), draw_.uniform(-3, 3)});
      }
      ItemId bone = parent;
      for (int i = 0; i < DEEP_BONES; ++i) {
        bone = scene.addBone(parent, "Bone " + std::to_string(i), bone);
        scene.setParam(bone, PARAM_ROTATION, {draw_.uniform(-3, 3), draw_.uniform(-3, 3), draw_.uniform(-3, 3)});
        scene.setRest(bone, PARAM_POSITION, {0.0, draw_.uniform(0, 1), 0.0});
      }
      scene.addCamera("Camera", bone);
    };
  }

  // Links a damaged host might hand out: items that are their own or each
  // other's ancestors, and lists whose last item leads back into them. Loading
  // a node walks the lists, evaluating it the parents.
  Build loopedScene() {
    return [this](host::Scene& scene) {
      buildRandomScene(scene, draw_, 8);
      const std::vector<ItemId> items = sceneItems(scene);
      for (std::size_t i = 0, loops = 1 + draw_.below(3); i < loops; ++i) {
        scene.setParent(draw_.pick(items), draw_.pick(items));
      }
      for (const int type : {IT_OBJECT, IT_LIGHT, IT_CAMERA}) {
        if (draw_.chance(0.5)) scene.loopListBackTo(draw_.pick(scene.list(type)));
      }
      for (const ItemId object : scene.list(IT_OBJECT)) {
        const std::vector<ItemId>& bones = scene.list(IT_BONE, object);
        if (!bones.empty() && draw_.chance(0.5)) scene.loopListBackTo(draw_.pick(bones));
      }
    };
  }

  // Nodes of every server on `items`, each evaluated at a few time steps.
  void evaluateAll(host::ServiceHost& host, const std::vector<ItemId>& items, Tally& tally, bool wantFinite,
                   const std::string& sceneName, int steps) {
    for (const std::string& server : servers_) {
      std::string error;
      const auto node = tryNode(host, *context_.module, server, error);
      const std::optional<NodeSettings> fresh = node ? nodeSettings(*node) : std::nullopt;
      if (!tally.record(fresh.has_value(), [&] { return server + ": " + (node ? "no settings saved" : error); })) {
        continue;
      }
      const ItemId item = draw_.pick(items);
      NodeSettings settings = *fresh;
      chooseItem(settings, item);
      settings.mode = static_cast<std::int32_t>(draw_.below(3));
      settings.time = draw_.uniform(-2.0, 12.0);
      node->load(settingsState(settings));
      if (draw_.chance(0.3)) node->connectInteger("Item", static_cast<std::int32_t>(item));
      if (draw_.chance(0.3)) node->connectScalar("Time", draw_.uniform(-2.0, 12.0));
      const std::vector<host::PortInfo> outputs = node->outputs();
      for (int step = 0; step < steps; ++step) {
        const double time = draw_.uniform(-1.0, 11.0);
        node->newTime(step, time);
        for (std::size_t output = 0; output < outputs.size(); ++output) {
          const host::OutputValue value = node->evaluate(output);
          nonZero_ += value.vector != std::array<double, 3>{} || value.scalar != 0.0;
          tally.record(value.deliveries == 1 && (!wantFinite || finite(value)), [&] {
            return sceneName + " (seed " + std::to_string(context_.seed) + "): " + server + " on item " +
                   host::hexId(item) + ", loaded " + stateText(settingsState(settings)) + ", new time " +
                   host::formatDouble(time) + ", output \"" + outputs[output].name + "\": " + valueText(value);
          });
        }
      }
    }
  }

  void withScene(const Build& build, Tally& tally, bool wantFinite, const std::string& sceneName) {
    host::Scene scene;
    build(scene);
    host::ServiceHost host(scene);
    host.calls().setEnabled(false);
    std::vector<ItemId> items = sceneItems(scene);
    // The deepest items come last in their lists: weigh them in.
    std::vector<ItemId> lastOnes{scene.list(IT_OBJECT).back(), scene.list(IT_CAMERA).back()};
    for (const ItemId object : scene.list(IT_OBJECT)) {
      if (!scene.list(IT_BONE, object).empty()) lastOnes.push_back(scene.list(IT_BONE, object).back());
    }
    items.insert(items.end(), lastOnes.begin(), lastOnes.end());
    evaluateAll(host, items, tally, wantFinite, sceneName, 2);
  }

  // The object list and the longest bone list lead back onto their last item,
  // a loop a walk sees a few entries late. Each node picks in its panel the
  // number of an item after the objects (or of any bone, or one past the bones,
  // which is none), and must deliver what a twin that loads that item does.
  void numberedAfterLoops(Tally& tally) {
    host::Scene scene;
    // Loops seen at once (the last of 2, 4 or 8 items) as well as late.
    buildRandomScene(scene, draw_, 2 + static_cast<int>(draw_.below(12)));
    const std::vector<ItemId>& objects = scene.list(IT_OBJECT);
    ItemId owner = objects.front();
    for (const ItemId object : objects) {
      if (scene.list(IT_BONE, object).size() > scene.list(IT_BONE, owner).size()) owner = object;
    }
    const std::vector<ItemId>& bones = scene.list(IT_BONE, owner);
    scene.loopListBackTo(objects.back());
    if (!bones.empty()) scene.loopListBackTo(bones.back());
    std::vector<ItemId> after = scene.list(IT_LIGHT);
    after.insert(after.end(), scene.list(IT_CAMERA).begin(), scene.list(IT_CAMERA).end());
    host::ServiceHost host(scene);
    host.calls().setEnabled(false);

    for (const std::string& server : servers_) {
      std::string error;
      const auto loaded = tryNode(host, *context_.module, server, error);
      const auto picked = loaded ? tryNode(host, *context_.module, server, error) : nullptr;
      host::HostPanel* panel = picked ? tryPanel(*picked, error) : nullptr;
      const std::optional<NodeSettings> fresh = panel ? nodeSettings(*loaded) : std::nullopt;
      if (!tally.record(fresh.has_value(), [&] { return server + ": " + error; })) continue;
      NodeSettings settings = *fresh;
      settings.mode = static_cast<std::int32_t>(draw_.below(3));
      settings.time = draw_.uniform(-2.0, 12.0);
      picked->load(settingsState(settings));
      std::string choice;
      if (settings.ids.size() == 2) {
        const std::size_t number = draw_.below(bones.size() + 2);
        settings.ids = {owner, number >= 1 && number <= bones.size() ? bones[number - 1] : ItemId{0}};
        panel->set(CTL_ITEM, listNumber(scene, owner));
        panel->set(CTL_BONE, static_cast<std::int32_t>(number));
        choice = "bone number " + std::to_string(number);
      } else {
        const ItemId item = draw_.pick(after);
        chooseItem(settings, item);
        panel->set(CTL_ITEM, listNumber(scene, item));
        choice = "item number " + std::to_string(listNumber(scene, item));
      }
      loaded->load(settingsState(settings));
      const std::size_t outputs = loaded->outputs().size();
      for (int step = 0; step < 2; ++step) {
        const double time = draw_.uniform(-1.0, 11.0);
        loaded->newTime(step, time);
        picked->newTime(step, time);
        for (std::size_t output = 0; output < outputs; ++output) {
          const host::OutputValue expected = loaded->evaluate(output);
          const host::OutputValue value = picked->evaluate(output);
          tally.record(sameBits(value, expected), [&] {
            return server + " given " + choice + " in its panel, output " + std::to_string(output) + ": " +
                   valueText(value) + " instead of " + valueText(expected) + " from loading " +
                   stateText(settingsState(settings));
          });
        }
      }
    }
  }

  // Bones named by nodes after their owner (and with it they) left the scene,
  // and bone identifiers whose owner never existed.
  void orphanBones(Tally& tally) {
    host::Scene scene;
    buildRandomScene(scene, draw_, 6);
    const ItemId owner = scene.addObject("Owner");
    const ItemId bone = scene.addBone(owner, "Orphan");
    const ItemId child = scene.addBone(owner, "Child", bone);
    const ItemId camera = scene.addCamera("Under the orphan", child);
    host::ServiceHost host(scene);
    host.calls().setEnabled(false);
    scene.remove(owner);
    const ItemId invented = BONE_BITS | 0x00FF0000 | 0xFFFE;
    evaluateAll(host, {bone, child, camera, invented}, tally, true, "bones without owner", 2);
  }

  ValidateContext& context_;
  std::mt19937_64 random_;
  Draw draw_;
  std::vector<std::string> servers_;
  std::size_t nonZero_ = 0;
};

}  // namespace

void validateEvaluation(ValidateContext& context) { EvaluationRun(context).run(); }

}  // namespace kv::conformance
