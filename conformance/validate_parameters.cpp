// SPDX-License-Identifier: MIT
// The parameters group: random sequences of panel sets, gets, notifications
// and button presses, valid and invalid value IDs and values, on every node.
// Each set is followed in a model of the settings the node saves; unknown IDs
// must be refused without a change; and whenever the panel has just gained
// focus its values must show the saved settings, the items by list number.
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conformance/group_run.h"
#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"
#include "contract/panel_ids.h"

namespace kv::conformance {
namespace {

// The item at list number n: with owner 0 of objects, lights and cameras
// counted on; else of the owner's bones. 0 when there is none.
ItemId itemAtNumber(const host::Scene& scene, std::int32_t n, ItemId owner) {
  std::vector<ItemId> list;
  if (owner != 0) {
    list = scene.list(IT_BONE, owner);
  } else {
    for (int type : {IT_OBJECT, IT_LIGHT, IT_CAMERA})
      list.insert(list.end(), scene.list(type).begin(), scene.list(type).end());
  }
  return n >= 1 && static_cast<std::size_t>(n) <= list.size() ? list[static_cast<std::size_t>(n) - 1] : 0;
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

class ParametersRun : GroupRun {
 public:
  explicit ParametersRun(ValidateContext& context) : GroupRun(context, "parameters", 6) {}

  void run() {
    const int steps = 400 * context_.scale();
    for (const std::string& server : nodeServers(*context_.module)) drive(server, steps);
    CheckReport& r = context_.report;
    panels_.report(r, "parameters: panel", "a node whose panel opens", "node");
    sets_.report(r, "parameters: set", "1 for the panel's values, 0 for any other ID", "set");
    model_.report(r, "parameters: settings after each action",
                  "the value set stored (an item by its list number), refused and other actions changing nothing",
                  "action");
    shown_.report(r, "parameters: values shown",
                  "get giving the saved time and mode, and after focus the list numbers of the saved items", "read");
  }

 private:
  struct Driven {
    host::HostNode& node;
    host::HostPanel& panel;
    NodeSettings expected;
    bool bone;
    std::string server;
  };

  std::uint32_t anyValueId() {
    switch (draw_.below(10)) {
      case 0:
        return 0;
      case 1:
        return CTL_ITEM - 1;
      case 2:
        return CTL_SELECT + 1;
      case 3:
        return static_cast<std::uint32_t>(draw_.generator()());
      default:
        return CTL_ITEM + static_cast<std::uint32_t>(draw_.below(6));
    }
  }

  std::int32_t anyNumber(const Driven& d) {
    if (draw_.chance(0.3)) return draw_.integer();
    const std::size_t size = d.bone && draw_.chance(0.5) ? 4 : items_.size();
    return static_cast<std::int32_t>(draw_.below(size + 2));
  }

  void drive(const std::string& server, int steps) {
    std::string error;
    const auto node = tryNode(host_, *context_.module, server, error);
    host::HostPanel* panel = node ? tryPanel(*node, error) : nullptr;
    const std::optional<NodeSettings> settings = node ? nodeSettings(*node) : std::nullopt;
    if (!panels_.record(panel && settings,
                        [&] { return server + ": " + (panel ? "save wrote something else" : error); })) {
      return;
    }
    Driven d{*node, *panel, *settings, settings->ids.size() == 2, server};
    for (step_ = 0; step_ < steps; ++step_) {
      switch (draw_.below(8)) {
        case 0:
        case 1:
        case 2:
          set(d);
          break;
        case 3:
          d.panel.rawGet(anyValueId());
          break;
        case 4:
          d.panel.notify(anyValueId(), anyValueId(),
                         draw_.chance(0.5) ? static_cast<int>(draw_.below(8)) : draw_.integer());
          break;
        case 5:
          press(d);
          break;
        case 6:
          select();
          break;
        default:
          d.panel.focus();
          compareShown(d, true);
      }
      compareSaved(d);
      compareShown(d, false);
    }
  }

  std::string where(const Driven& d) const { return d.server + " step " + std::to_string(step_); }

  void set(Driven& d) {
    const std::uint32_t id = anyValueId();
    const bool handled = id == CTL_ITEM || id == CTL_TIME || id == CTL_MODE || (d.bone && id == CTL_BONE);
    int result = 0;
    if (id == CTL_TIME) {
      const double time = draw_.chance(0.7) ? draw_.finite() : draw_.edge();
      result = d.panel.set(id, time);
      d.expected.time = time;
    } else if (id == CTL_MODE) {
      const std::int32_t mode = draw_.integer();
      result = d.panel.set(id, mode);
      d.expected.mode = mode;
    } else if (id == CTL_ITEM) {
      const std::int32_t number = anyNumber(d);
      result = d.panel.set(id, number);
      const ItemId chosen = itemAtNumber(scene_, number, 0);
      if (d.bone) {
        ItemId& bone = d.expected.ids[1];
        if (chosen == 0 || (bone & 0xFFFF) != (chosen & 0xFFFF)) bone = 0;
      }
      d.expected.ids[0] = chosen;
    } else if (d.bone && id == CTL_BONE) {
      const std::int32_t number = anyNumber(d);
      result = d.panel.set(id, number);
      // Without an owner object there is no bone to choose.
      const ItemId owner = d.expected.ids[0];
      d.expected.ids[1] = owner != 0 ? itemAtNumber(scene_, number, owner) : 0;
    } else {
      result = draw_.chance(0.5) ? d.panel.set(id, draw_.integer()) : d.panel.set(id, draw_.edge());
    }
    sets_.record((result != 0) == handled,
                 [&] { return where(d) + ": set of ID " + host::hexId(id) + " returned " + std::to_string(result); });
  }

  // Buttons act on the host's selection; the model takes what they stored.
  void press(Driven& d) {
    const std::uint32_t id = draw_.chance(0.8) ? CTL_GETSEL + static_cast<std::uint32_t>(draw_.below(2)) : anyValueId();
    if (!d.panel.button(id)) return;
    d.panel.press(id);
    if (const std::optional<NodeSettings> saved = nodeSettings(d.node)) d.expected = *saved;
  }

  void select() {
    std::vector<ItemId> selection(draw_.below(3));
    for (ItemId& item : selection) item = draw_.pick(items_);
    scene_.select(selection);
  }

  void compareSaved(Driven& d) {
    const std::optional<NodeSettings> saved = nodeSettings(d.node);
    const bool same = saved && saved->ids == d.expected.ids && sameBits(saved->time, d.expected.time) &&
                      saved->mode == d.expected.mode;
    if (!model_.record(same, [&] {
          return where(d) + ": saved " + (saved ? stateText(settingsState(*saved)) : "?") + ", expected " +
                 stateText(settingsState(d.expected));
        })) {
      if (saved) d.expected.ids = saved->ids;  // one report per divergence, not one per step after it
    }
  }

  // The item numbers are only known right after focus recomputed them.
  void compareShown(Driven& d, bool afterFocus) {
    const std::optional<double> time = d.panel.floatValue(CTL_TIME);
    const std::optional<std::int32_t> mode = d.panel.intValue(CTL_MODE);
    bool same = time && sameBits(*time, d.expected.time) && mode == d.expected.mode;
    std::string numbers;
    if (afterFocus) {
      const std::optional<std::int32_t> item = d.panel.intValue(CTL_ITEM);
      same = same && item == listNumber(scene_, d.expected.ids[0]);
      numbers = ", item " + (item ? std::to_string(*item) : "none");
      if (d.bone) {
        const std::optional<std::int32_t> bone = d.panel.intValue(CTL_BONE);
        same = same && bone == listNumber(scene_, d.expected.ids[1]);
        numbers += ", bone " + (bone ? std::to_string(*bone) : "none");
      }
    }
    shown_.record(same, [&] {
      return where(d) + ": shown time " + (time ? host::formatDouble(*time) : "none") + ", mode " +
             (mode ? std::to_string(*mode) : "none") + numbers + " for saved " + stateText(settingsState(d.expected));
    });
  }

  int step_ = 0;
  Tally panels_, sets_, model_, shown_;
};

}  // namespace

void validateParameters(ValidateContext& context) { ParametersRun(context).run(); }

}  // namespace kv::conformance
