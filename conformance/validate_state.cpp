// SPDX-License-Identifier: MIT
// The state group: save, load into a fresh instance and save again gives the
// same blocks byte for byte; loads of empty, truncated, repeated, unknown and
// random blocks store exactly what they read, block by block, the last of a
// kind winning and a short block keeping what it did not reach.
#include <memory>
#include <string>
#include <vector>

#include "conformance/group_run.h"
#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"

namespace kv::conformance {
namespace {

// What a node holding `before` must save after loading `stored`.
NodeSettings expectedAfterLoad(NodeSettings before, const host::SavedState& stored) {
  for (const host::StoredBlock& block : stored.blocks) {
    const std::size_t present = block.values.size();
    if (block.id == BLOCK_IDS) {
      for (std::size_t i = 0; i < before.ids.size() && i < present; ++i) {
        before.ids[i] = host::storedValueAs<ItemId>(block.values[i]);
      }
    } else if (block.id == BLOCK_TIME && present > 0) {
      before.time = host::storedValueAs<double>(block.values[0]);
    } else if (block.id == BLOCK_MODE && present > 0) {
      before.mode = host::storedValueAs<std::int32_t>(block.values[0]);
    }
  }
  return before;
}

class StateRun : GroupRun {
 public:
  explicit StateRun(ValidateContext& context) : GroupRun(context, "state", 5) {}

  void run() {
    const int rounds = 25 * context_.scale();
    for (const std::string& server : nodeServers(*context_.module)) {
      for (int round = 0; round < rounds; ++round) {
        roundTrip(server, round);
        hostileLoad(server, round);
      }
    }
    CheckReport& r = context_.report;
    nodes_.report(r, "state: nodes", "an instance whose save writes \"ids\", \"time\" and \"mode\"", "instance");
    results_.report(r, "state: save and load results", "null (no error) from every save and load", "call");
    roundTrips_.report(r, "state: save, load into a fresh instance, save again",
                       "the loaded settings saved, the same blocks byte for byte both times", "round trip");
    hostile_.report(r, "state: load of empty, truncated, repeated, unknown and random blocks",
                    "exactly what the blocks held stored, the rest kept", "load");
  }

 private:
  std::unique_ptr<host::HostNode> freshNode(const std::string& server, std::size_t& idCount) {
    std::string error;
    auto node = tryNode(host_, *context_.module, server, error);
    const std::optional<NodeSettings> fresh = node ? nodeSettings(*node) : std::nullopt;
    if (!nodes_.record(fresh.has_value(),
                       [&] { return server + ": " + (node ? "save wrote something else" : error); })) {
      return nullptr;
    }
    idCount = fresh->ids.size();
    return node;
  }

  ItemId anyId() {
    if (draw_.chance(0.15)) return 0;
    if (draw_.chance(0.15)) return static_cast<ItemId>(draw_.generator()());
    return draw_.pick(items_);
  }

  NodeSettings randomSettings(std::size_t idCount) {
    NodeSettings settings;
    for (std::size_t i = 0; i < idCount; ++i) settings.ids.push_back(anyId());
    settings.time = draw_.chance(0.7) ? draw_.finite() : draw_.edge();
    settings.mode = draw_.integer();
    return settings;
  }

  bool callsSucceed(const char* first, const char* second, const std::string& where) {
    return results_.record(first == nullptr && second == nullptr, [&] { return where + ": an error text"; });
  }

  void roundTrip(const std::string& server, int round) {
    std::size_t idCount = 0;
    const auto first = freshNode(server, idCount);
    const auto second = first ? freshNode(server, idCount) : nullptr;
    if (!second) return;
    const NodeSettings settings = randomSettings(idCount);
    const host::SavedState loaded = settingsState(settings);
    host::SavedState saved, again;
    const std::string where = server + " round " + std::to_string(round);
    const char* loadError = first->load(loaded);
    callsSucceed(loadError, first->save(saved), where);
    loadError = second->load(saved);
    callsSucceed(loadError, second->save(again), where);
    roundTrips_.record(host::sameState(saved, loaded) && host::sameState(again, saved), [&] {
      return where + ": loaded " + stateText(loaded) + ", saved " + stateText(saved) + ", then " + stateText(again);
    });
  }

  host::StoredValue anyValue() {
    switch (draw_.below(3)) {
      case 0:
        return draw_.chance(0.5) ? draw_.integer() : static_cast<std::int32_t>(anyId());
      case 1:
        return anyId();
      default:
        return draw_.chance(0.5) ? static_cast<double>(anyId()) : draw_.edge();
    }
  }

  // Blocks built from the node's own saved state, cut, repeated, reordered,
  // mixed with blocks of unknown IDs and of random values.
  host::SavedState hostileState(const host::SavedState& own) {
    host::SavedState state;
    switch (draw_.below(5)) {
      case 0:
        return state;  // empty
      case 1:          // truncated: blocks dropped from the end, values cut
        state = own;
        state.blocks.resize(draw_.below(state.blocks.size() + 1));
        for (host::StoredBlock& block : state.blocks) block.values.resize(draw_.below(block.values.size() + 1));
        return state;
      default:
        break;
    }
    const std::size_t count = draw_.below(8);
    for (std::size_t b = 0; b < count; ++b) {
      host::StoredBlock block = own.blocks[draw_.below(own.blocks.size())];
      if (draw_.chance(0.25)) block.id = static_cast<std::uint32_t>(draw_.generator()()) | 1;  // unknown, never 0
      if (draw_.chance(0.5)) {
        block.values.clear();
        const std::size_t values = draw_.below(4);
        for (std::size_t v = 0; v < values; ++v) block.values.push_back(anyValue());
      }
      state.blocks.push_back(block);
    }
    return state;
  }

  void hostileLoad(const std::string& server, int round) {
    std::size_t idCount = 0;
    const auto node = freshNode(server, idCount);
    if (!node) return;
    const NodeSettings before = randomSettings(idCount);
    node->load(settingsState(before));
    const host::SavedState stored = hostileState(settingsState(randomSettings(idCount)));
    host::SavedState saved;
    const char* loadError = node->load(stored);
    callsSucceed(loadError, node->save(saved), server + " round " + std::to_string(round));
    const host::SavedState expected = settingsState(expectedAfterLoad(before, stored));
    hostile_.record(host::sameState(saved, expected), [&] {
      return server + " round " + std::to_string(round) + ": holding " + stateText(settingsState(before)) +
             ", loaded " + stateText(stored) + ", expected " + stateText(expected) + ", saved " + stateText(saved);
    });
  }

  Tally nodes_, results_, roundTrips_, hostile_;
};

}  // namespace

void validateState(ValidateContext& context) { StateRun(context).run(); }

}  // namespace kv::conformance
