// What the validation groups share: the module's node servers, saved states
// built and read back, item list numbers counted from the scene, and random
// values and scenes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "host/host.h"

namespace kv::scenehost {

// The names of the module's "NodeHandler" servers, in table order.
std::vector<std::string> nodeServers(const host::LoadedModule& module);

// A node's settings as its saved state holds them: the identifiers of the
// "ids" block, the "time" and the "mode".
struct NodeSettings {
  std::vector<ItemId> ids;
  double time = 0.0;
  std::int32_t mode = 0;
};

inline constexpr std::uint32_t IDS_BLOCK = host::blockId("IIDS");
inline constexpr std::uint32_t TIME_BLOCK = host::blockId("ITIM");
inline constexpr std::uint32_t MODE_BLOCK = host::blockId("IMOD");

host::SavedState settingsState(const NodeSettings& settings);
// Points the settings at `item`: a bone node (two ids) takes a bone with its
// owner; an item node, or a bone node given a non-bone, takes the item in
// every id.
void chooseItem(NodeSettings& settings, ItemId item);
// The settings a saved state holds, or nullopt when it is not the three leaf
// blocks "ids" (of u4 values), "time" (one dp) and "mode" (one i4) in order.
std::optional<NodeSettings> readSettings(const host::SavedState& state);
// Saves the node and reads its settings (nullopt when save failed or wrote
// something else).
std::optional<NodeSettings> nodeSettings(const host::HostNode& node);

std::string stateText(const host::SavedState& state);

// The 1-based place of `id` in the lists a panel shows (objects, lights and
// cameras counted on; a bone among its owner's bones); 0 when absent.
std::int32_t listNumber(const host::Scene& scene, ItemId id);

// Every item of the scene: objects, lights, cameras, then bones by owner.
std::vector<ItemId> sceneItems(const host::Scene& scene);

// A node made in a try: null (and `error` set) when activation or create fails.
std::unique_ptr<host::HostNode> tryNode(host::ServiceHost& host, const host::LoadedModule& module,
                                        const std::string& server, std::string& error);

// The node's panel, or null (and `error` set) when it cannot be opened.
host::HostPanel* tryPanel(host::HostNode& node, std::string& error);

// Random numbers drawn from a generator.
class Draw {
 public:
  explicit Draw(std::mt19937_64& random) : random_(random) {}

  std::size_t below(std::size_t bound);  // 0 .. bound-1; 0 when bound is 0
  bool chance(double probability);
  double uniform(double low, double high);
  double finite();         // moderate values, zeros, small and subnormal numbers
  double edge();           // NaN, infinities, huge, extremes, or finite()
  std::int32_t integer();  // small or extreme
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[below(items.size())];
  }
  std::mt19937_64& generator() { return random_; }

 private:
  std::mt19937_64& random_;
};

// A scene of `objects` objects with lights, cameras and bones, random parents
// (earlier items only, so no cycles) and finite transforms of moderate size.
void buildRandomScene(host::Scene& scene, Draw& draw, int objects);

}  // namespace kv::scenehost
