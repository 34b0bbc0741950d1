// SPDX-License-Identifier: MIT
// The lifecycle group: thousands of instances of every node made and ended in
// random order, with copies, loads, time steps, identifier changes (stale,
// zero and unknown ones) and evaluations in any order between them. The
// settings each node saves are followed in a model and compared after every
// step that changes them.
#include <algorithm>
#include <bit>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "conformance/group_run.h"
#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"

namespace kv::conformance {
namespace {

constexpr std::size_t MOST_LIVE = 48;

struct LiveNode {
  std::unique_ptr<host::HostNode> node;
  NodeSettings expected;
  host::HostPanel* panel = nullptr;
};

std::string idsText(const std::vector<ItemId>& ids) {
  std::string text = "[";
  for (const ItemId id : ids) {
    if (text.size() > 1) text += ',';
    text += host::hexId(id);
  }
  return text + "]";
}

std::string settingsText(const NodeSettings& settings) {
  return "ids " + idsText(settings.ids) + " time " + host::formatDouble(settings.time) + " mode " +
         std::to_string(settings.mode);
}

// What change-ID makes of the stored identifiers: each is replaced by the
// first pair naming it, the list ending at the first pair whose old value is 0.
std::vector<ItemId> remapped(std::vector<ItemId> ids, const std::vector<std::pair<ItemId, ItemId>>& changes) {
  for (ItemId& id : ids) {
    if (id == 0) continue;
    for (const auto& [from, to] : changes) {
      if (from == 0) break;
      if (from == id) {
        id = to;
        break;
      }
    }
  }
  return ids;
}

class LifecycleRun : GroupRun {
 public:
  explicit LifecycleRun(ValidateContext& context)
      : GroupRun(context, "lifecycle", 6), servers_(nodeServers(*context.module)) {}

  void run() {
    const std::size_t steps = 4000 * static_cast<std::size_t>(context_.scale());
    for (step_ = 0; step_ < steps && !servers_.empty(); ++step_) {
      switch (draw_.below(10)) {
        case 0:
        case 1:
          create();
          break;
        case 2:
          destroy();
          break;
        case 3:
          copy();
          break;
        case 4:
          load();
          break;
        case 5:
          changeIds();
          break;
        case 6:
          newTime();
          break;
        case 7:
          openPanel();
          break;
        case 8:
          if (draw_.chance(0.05)) removeItem();
          break;
        default:
          evaluate();
      }
    }
    while (!live_.empty()) destroy();
    report();
  }

 private:
  std::string where() const { return "step " + std::to_string(step_); }

  LiveNode* anyLive() { return live_.empty() ? nullptr : &live_[draw_.below(live_.size())]; }

  // Identifiers of the scene, of removed items, 0 and ones never handed out.
  ItemId anyId() {
    switch (draw_.below(6)) {
      case 0:
        return 0;
      case 1:
        return removed_.empty() ? 0 : draw_.pick(removed_);
      case 2:
        return static_cast<ItemId>(draw_.generator()());
      default:
        return draw_.pick(items_);
    }
  }

  void checkSettings(const LiveNode& live, const char* after) {
    const std::optional<NodeSettings> seen = nodeSettings(*live.node);
    const bool same = seen && seen->ids == live.expected.ids &&
                      std::bit_cast<std::uint64_t>(seen->time) == std::bit_cast<std::uint64_t>(live.expected.time) &&
                      seen->mode == live.expected.mode;
    settings_.record(same, [&] {
      return where() + " " + after + " on " + live.node->serverName() + ": expected " + settingsText(live.expected) +
             ", saved " + (seen ? settingsText(*seen) : std::string("something else"));
    });
  }

  void create() {
    if (live_.size() >= MOST_LIVE) return destroy();
    const std::string& server = draw_.pick(servers_);
    std::string error;
    LiveNode live{tryNode(host_, *context_.module, server, error), {}, nullptr};
    const std::optional<NodeSettings> fresh = live.node ? nodeSettings(*live.node) : std::nullopt;
    const bool zero = fresh && fresh->time == 0.0 && fresh->mode == 0 && !fresh->ids.empty() &&
                      std::all_of(fresh->ids.begin(), fresh->ids.end(), [](ItemId id) { return id == 0; });
    creates_.record(zero, [&] {
      return where() + " " + server + ": " +
             (!live.node ? error
              : fresh    ? settingsText(*fresh)
                         : std::string("save wrote something else"));
    });
    if (!zero) return;
    live.expected = *fresh;
    live_.push_back(std::move(live));
  }

  void destroy() {
    if (live_.empty()) return;
    const std::size_t at = draw_.below(live_.size());
    host::HostPanel* panel = live_[at].panel;
    live_[at].node->destroy();
    live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(at));
    if (panel) {
      panels_.record(panel->destroyed(), [&] { return where() + ": a destroyed node's panel is still alive"; });
    }
  }

  void copy() {
    LiveNode* to = anyLive();
    LiveNode* from = anyLive();
    if (!to || !from || to->node->serverName() != from->node->serverName()) return;
    const char* error = to->node->copyFrom(*from->node);
    copies_.record(error == nullptr, [&] { return where() + ": copy returned \"" + std::string(error) + "\""; });
    to->expected = from->expected;
    checkSettings(*to, "copy");
  }

  void load() {
    LiveNode* live = anyLive();
    if (!live) return;
    NodeSettings settings;
    for (std::size_t i = 0; i < live->expected.ids.size(); ++i) settings.ids.push_back(anyId());
    settings.time = draw_.edge();
    settings.mode = draw_.integer();
    live->node->load(settingsState(settings));
    live->expected = settings;
    checkSettings(*live, "load");
  }

  void changeIds() {
    LiveNode* live = anyLive();
    if (!live) return;
    std::vector<std::pair<ItemId, ItemId>> changes(draw_.below(4));
    for (auto& [from, to] : changes) {
      // Often the node's own identifiers, so that changes really apply.
      from = draw_.chance(0.5) ? draw_.pick(live->expected.ids) : anyId();
      to = anyId();
    }
    live->node->changeIds(changes);
    live->expected.ids = remapped(live->expected.ids, changes);
    checkSettings(*live, "change-ID");
  }

  void newTime() {
    LiveNode* live = anyLive();
    if (!live) return;
    const char* error = live->node->newTime(draw_.integer(), draw_.chance(0.8) ? draw_.finite() : draw_.edge());
    times_.record(error == nullptr, [&] { return where() + ": new time returned \"" + std::string(error) + "\""; });
  }

  void openPanel() {
    LiveNode* live = anyLive();
    if (!live) return;
    std::string error;
    host::HostPanel* panel = tryPanel(*live->node, error);
    panelOpens_.record(panel && (!live->panel || live->panel == panel), [&] {
      return where() + " " + live->node->serverName() + ": " + (panel ? "a second panel" : error);
    });
    live->panel = panel;
  }

  void removeItem() {
    if (items_.size() < 4) return;
    const ItemId item = draw_.pick(items_);
    scene_.remove(item);
    removed_.push_back(item);
    items_ = sceneItems(scene_);
  }

  // Any output, including before the node's first time step.
  void evaluate() {
    LiveNode* live = anyLive();
    if (!live) return;
    const std::size_t outputs = live->node->outputs().size();
    const std::size_t output = draw_.below(outputs);
    const host::OutputValue value = live->node->evaluate(output);
    evaluations_.record(value.deliveries == 1, [&] {
      return where() + " " + live->node->serverName() + " output " + std::to_string(output) + ": " +
             std::to_string(value.deliveries) + " values";
    });
  }

  void report() {
    CheckReport& r = context_.report;
    creates_.report(r, "lifecycle: create", "an instance saving zero settings", "create");
    panels_.report(r, "lifecycle: destroy with an open panel", "the panel destroyed with the instance", "panel");
    panelOpens_.report(r, "lifecycle: panel", "one panel per instance, the same on every opening", "opening");
    copies_.report(r, "lifecycle: copy", "null (no error)", "copy call");
    times_.report(r, "lifecycle: new time", "null (no error)", "time step");
    settings_.report(r, "lifecycle: settings after copy, load and change-ID",
                     "the source's settings, the loaded ones, identifiers replaced by the first pair naming them",
                     "step");
    evaluations_.report(r, "lifecycle: evaluation in any order", "one value from every evaluation", "evaluation");
  }

  std::vector<std::string> servers_;
  std::vector<ItemId> removed_;
  std::vector<LiveNode> live_;
  std::size_t step_ = 0;
  Tally creates_, panels_, panelOpens_, copies_, times_, settings_, evaluations_;
};

}  // namespace

void validateLifecycle(ValidateContext& context) { LifecycleRun(context).run(); }

}  // namespace kv::conformance
