// SPDX-License-Identifier: MIT
// The scene file: a JSON document describing the items of a scene (objects,
// lights, cameras, bones with their parents and animated parameters), the
// frame rate and frames, the host's selection, and the nodes to place with
// their settings, input connections and the outputs to print. The format is
// described in README.md ("## scenehost").
//
// Parsing builds the substitute host's Scene and resolves every name; what
// only the module knows (server names, output names, node families) is
// checked when the nodes are placed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contract/host_api.h"
#include "host/saved_state.h"
#include "host/scene.h"

namespace kv::scenehost {

inline constexpr double DEFAULT_FPS = 30.0;

// The unit of the angles a scene file writes ("angles"), and of those eval prints.
enum class AngleUnit { Radians, Degrees };

// "radians" or "degrees", as scene files, options and printed forms name the unit.
inline const char* angleUnitName(AngleUnit unit) { return unit == AngleUnit::Degrees ? "degrees" : "radians"; }

struct FrameRange {
  int first = 0;
  int last = 0;
  int step = 1;
};

// "FIRST..LAST[:STEP]" (or a single frame "N"); nullopt when malformed, with
// the rule broken in `problem` when given.
std::optional<FrameRange> parseFrameRange(std::string_view text, std::string* problem = nullptr);

// A value connected to the "Time" input: keys in time order, linear between
// them and held beyond the ends; a constant is a single key.
struct ScalarTrack {
  struct Key {
    double time;
    double value;
  };
  std::vector<Key> keys;

  double at(double time) const;
};

// An item connected to the "Item" input: each key holds from its time until
// the next; before the first key the first one holds.
struct ItemTrack {
  struct Key {
    double time;
    ItemId item;
  };
  std::vector<Key> keys;

  ItemId at(double time) const;
};

// A constant or keyed value connected to one of a node's inputs.
struct InputConnection {
  std::string name;   // the input's name, e.g. "Time"
  std::string where;  // "nodes[2].inputs.Time", for messages
  std::variant<ScalarTrack, ItemTrack> source;
};

struct NodeEntry {
  std::size_t index = 0;  // position in "nodes"
  std::string where;      // "nodes[2]", for messages
  std::string name;       // "name", else the server as written
  std::string server;     // a server name ("KvI_ITEMWP") or a user name ("Item WPos")
  // Settings by name, resolved to identifiers. Item nodes use `item`, bone
  // nodes `object` and `bone`.
  std::optional<ItemId> item;
  std::optional<ItemId> object;
  std::optional<ItemId> bone;
  std::optional<double> panelTime;
  std::optional<std::int32_t> mode;
  std::optional<host::SavedState> state;  // when present, loaded instead of the settings
  std::vector<InputConnection> inputs;
  std::vector<std::string> outputs;  // empty: every output of the node

  bool hasItemSettings() const { return item.has_value(); }
  bool hasBoneSettings() const { return object.has_value() || bone.has_value(); }
};

// The name "-" stands for standard input.
inline constexpr const char* STANDARD_STREAM = "-";

struct SceneFile {
  std::string path;                 // as messages name it: "(standard input)" for "-"
  std::string text;                 // as read, so that save changes only the states
  nlohmann::ordered_json document;  // the text parsed
  std::string module;               // the module file it names (relative to the scene's folder), or ""
  double fps = DEFAULT_FPS;
  AngleUnit angles = AngleUnit::Radians;
  std::optional<FrameRange> frames;
  host::Scene scene;
  std::vector<NodeEntry> nodes;

  // How messages and tables name an item: its name, a bone as "Owner:Bone",
  // 0 as "(none)", an identifier the scene lacks in hexadecimal.
  std::string itemLabel(ItemId id) const;
  // The node whose name is `name`, or whose 0-based position `name` spells; null when none.
  const NodeEntry* findNode(std::string_view name) const;
};

// Throw SceneError with the file name and the place in the document.
SceneFile parseSceneFile(nlohmann::ordered_json document, std::string path);
// `path` "-" reads standard input.
SceneFile loadSceneFile(const std::string& path);

}  // namespace kv::scenehost
