// SPDX-License-Identifier: MIT
#include "scenehost/placed_scene.h"

#include <algorithm>
#include <ostream>
#include <utility>
#include <variant>

#include "contract/menu_groups.h"
#include "contract/port_names.h"
#include "host/call_record.h"
#include "scenehost/errors.h"
#include "scenehost/near_miss.h"

namespace kv::scenehost {
namespace {

// ` (did you mean "W Pos"?) (it has "W Pos", "X", ...)` for a port `name` that is not among `ports`.
std::string portChoices(const std::string& name, const std::vector<host::PortInfo>& ports) {
  std::vector<std::string> names;
  std::string listed;
  for (const host::PortInfo& port : ports) {
    names.push_back(port.name);
    listed += (listed.empty() ? "" : ", ") + inQuotes(port.name);
  }
  return didYouMean(name, names) + " (it has " + (listed.empty() ? "none" : listed) + ")";
}

// One stored value as a message shows it: an item by its label.
std::string shownValue(const host::StoredValue& value, const SceneFile& file) {
  if (const auto* id = std::get_if<std::uint32_t>(&value)) return inQuotes(file.itemLabel(*id));
  if (const auto* number = std::get_if<double>(&value)) return host::formatDouble(*number);
  return std::to_string(std::get<std::int32_t>(value));
}

// The settings whose values the entry's "state" does not hold, e.g.
// `"item" is "Hand" but the state holds "Forearm"`; "" when all agree.
std::string staleSettings(const NodeEntry& entry, bool boneFamily, const SceneFile& file) {
  const host::SavedState wanted = settingsState(entry, boneFamily);
  struct Field {
    const char* name;
    std::uint32_t block;
    std::size_t value;
    bool given;
  };
  const Field fields[] = {
      {"item", BLOCK_IDS, 0, !boneFamily && entry.item.has_value()},
      {"object", BLOCK_IDS, 0, boneFamily && entry.object.has_value()},
      {"bone", BLOCK_IDS, 1, boneFamily && entry.bone.has_value()},
      {"time", BLOCK_TIME, 0, entry.panelTime.has_value()},
      {"mode", BLOCK_MODE, 0, entry.mode.has_value()},
  };
  std::string stale;
  for (const Field& field : fields) {
    if (!field.given) continue;
    const host::StoredValue& setting = wanted.find(field.block)->values[field.value];
    const host::StoredBlock* held = entry.state->find(field.block);
    const bool holds = held != nullptr && field.value < held->values.size();
    if (holds && held->values[field.value] == setting) continue;
    stale += std::string(stale.empty() ? "" : "; ") + inQuotes(field.name) + " is " + shownValue(setting, file) +
             " but the state holds " + (holds ? shownValue(held->values[field.value], file) : "none");
  }
  return stale;
}

// Whether the entry's "Item" input delivers an item at some time.
bool itemConnected(const NodeEntry& entry) {
  for (const InputConnection& connection : entry.inputs) {
    const auto* items = std::get_if<ItemTrack>(&connection.source);
    if (connection.name != port::ITEM || items == nullptr) continue;
    if (std::any_of(items->keys.begin(), items->keys.end(), [](const ItemTrack::Key& key) { return key.item != 0; })) {
      return true;
    }
  }
  return false;
}

}  // namespace

const host::ServerInfo* findServer(const host::LoadedModule& module, const std::string& className,
                                   const std::string& name) {
  for (const host::ServerInfo& server : module.servers()) {
    if (server.className == className && (server.name == name || server.tag(TAG_USER_NAME) == name)) {
      return &server;
    }
  }
  return nullptr;
}

host::SavedState settingsState(const NodeEntry& entry, bool boneFamily) {
  std::vector<host::StoredValue> ids;
  if (boneFamily) {
    ids = {entry.object.value_or(0), entry.bone.value_or(0)};
  } else {
    ids = {entry.item.value_or(0)};
  }
  host::SavedState state;
  state.add(BLOCK_IDS, "ids", std::move(ids))
      .add(BLOCK_TIME, "time", {entry.panelTime.value_or(0.0)})
      .add(BLOCK_MODE, "mode", {entry.mode.value_or(0)});
  return state;
}

PlacedScene::PlacedScene(SceneFile& file, const host::LoadedModule& module, std::ostream& warnings,
                         const NodeEntry* only)
    : file_(file), module_(module), host_(std::make_unique<host::ServiceHost>(file.scene)) {
  // A record of every call would grow with the scene's size, and squared in a
  // pop-up's listing; a command that reads some of it turns that part on.
  host_->calls().setEnabled(false);
  for (const NodeEntry& entry : file_.nodes) {
    if (only == nullptr || only == &entry) nodes_.push_back(place(entry, warnings));
  }
}

PlacedScene::~PlacedScene() = default;

PlacedNode PlacedScene::place(const NodeEntry& entry, std::ostream& warnings) {
  PlacedNode placed;
  placed.entry = &entry;
  placed.server = findServer(module_, NODE_HANDLER_CLASS, entry.server);
  if (placed.server == nullptr) {
    std::vector<std::string> names;
    for (const host::ServerInfo& server : module_.servers()) {
      if (server.className != NODE_HANDLER_CLASS) continue;
      names.push_back(server.name);
      if (const auto userName = server.tag(TAG_USER_NAME)) names.push_back(*userName);
    }
    throw error(entry.where + ".server", "no node " + inQuotes(entry.server) + " in " + module_.path() +
                                             didYouMean(entry.server, names) + " (\"scenehost servers\" lists them)");
  }
  placed.userName = placed.server->tag(TAG_USER_NAME).value_or(placed.server->name);
  placed.boneFamily = placed.server->tag(TAG_MENU_GROUP) == BONE_MENU_GROUP;
  if (placed.boneFamily && entry.hasItemSettings()) {
    throw error(entry.where, inQuotes(placed.userName) + " is a bone node: give \"object\" and \"bone\", not \"item\"");
  }
  if (!placed.boneFamily && entry.hasBoneSettings()) {
    throw error(entry.where, inQuotes(placed.userName) + " is an item node: give \"item\", not \"object\" or \"bone\"");
  }
  try {
    placed.node = std::make_unique<host::HostNode>(*host_, module_, placed.server->name);
  } catch (const host::NodeError& failure) {
    throw error(entry.where, failure.what());
  }
  giveSettings(placed, warnings);
  connectInputs(placed);
  chooseOutputs(placed);
  return placed;
}

SceneError PlacedScene::error(const std::string& where, const std::string& what) const {
  return SceneError(file_.path + ": " + where + ": " + what);
}

void PlacedScene::giveSettings(PlacedNode& placed, std::ostream& warnings) const {
  const NodeEntry& entry = *placed.entry;
  const bool hasSettings = entry.hasItemSettings() || entry.hasBoneSettings() || entry.panelTime || entry.mode;
  if (entry.state) {
    if (const std::string stale = staleSettings(entry, placed.boneFamily, file_); !stale.empty()) {
      warnings << "warning: " << file_.path << ": " << entry.where
               << ": \"state\" disagrees with the node's settings: " << stale
               << "; the state is what gets loaded (\"scenehost save --from-settings\" rebuilds it)\n";
    }
    placed.node->load(*entry.state);
  } else if (hasSettings) {
    placed.node->load(settingsState(entry, placed.boneFamily));
  }
}

void PlacedScene::warnOfNodesWithoutItem(std::ostream& warnings) const {
  for (const PlacedNode& placed : nodes_) {
    const NodeEntry& entry = *placed.entry;
    if (itemConnected(entry)) continue;
    // The identifiers the node was given: the item, or the object and the bone.
    const host::SavedState settings = settingsState(entry, placed.boneFamily);
    const host::StoredBlock* ids = (entry.state ? *entry.state : settings).find(BLOCK_IDS);
    auto id = [ids](std::size_t index) {
      const auto* value = ids && index < ids->values.size() ? std::get_if<std::uint32_t>(&ids->values[index]) : nullptr;
      return value ? *value : 0u;
    };
    const ItemId sampled = id(placed.boneFamily ? 1 : 0);
    if (sampled != 0) continue;
    warnings << "warning: " << file_.path << ": " << entry.where << ": " << inQuotes(entry.name) << " ("
             << placed.userName << ") ";
    if (placed.boneFamily && id(0) != 0) {
      warnings << "has the object " << inQuotes(file_.itemLabel(id(0)))
               << " but no bone, so every output is zero (give \"bone\" too)\n";
    } else {
      warnings << "has no item, so every output is zero (give " << (placed.boneFamily ? "\"bone\"" : "\"item\"")
               << " or connect the \"Item\" input)\n";
    }
  }
}

void PlacedScene::connectInputs(PlacedNode& placed) const {
  host::HostNode& node = *placed.node;
  const std::vector<host::PortInfo> inputs = node.inputs();
  for (const InputConnection& connection : placed.entry->inputs) {
    const auto input = std::find_if(inputs.begin(), inputs.end(),
                                    [&](const host::PortInfo& port) { return port.name == connection.name; });
    if (input == inputs.end()) {
      throw error(connection.where, inQuotes(placed.userName) + " has no input " + inQuotes(connection.name) +
                                        portChoices(connection.name, inputs));
    }
    if (const auto* track = std::get_if<ScalarTrack>(&connection.source)) {
      if (input->type == CT_INTEGER) {
        throw error(connection.where, "an item input: connect an item name, or null for none");
      }
      if (track->keys.size() == 1) {
        node.connectScalar(connection.name, track->keys[0].value);
      } else {
        node.connectFunction(connection.name, [track](const host::NodalContext& at) { return track->at(at.time); });
      }
    } else {
      const auto* items = &std::get<ItemTrack>(connection.source);
      if (input->type != CT_INTEGER) {
        throw error(connection.where, "a number input: connect a number or keys of numbers");
      }
      if (items->keys.size() == 1) {
        node.connectInteger(connection.name, static_cast<std::int32_t>(items->keys[0].item));
      } else {
        node.connectIntegerFunction(connection.name, [items](const host::NodalContext& at) {
          return static_cast<std::int32_t>(items->at(at.time));
        });
      }
    }
  }
}

void PlacedScene::chooseOutputs(PlacedNode& placed) const {
  const NodeEntry& entry = *placed.entry;
  const std::vector<host::PortInfo> outputs = placed.node->outputs();
  if (entry.outputs.empty()) {
    for (std::size_t i = 0; i < outputs.size(); ++i) placed.outputs.push_back(i);
  }
  for (std::size_t j = 0; j < entry.outputs.size(); ++j) {
    const auto output = std::find_if(outputs.begin(), outputs.end(),
                                     [&](const host::PortInfo& port) { return port.name == entry.outputs[j]; });
    if (output == outputs.end()) {
      throw error(entry.where + ".outputs[" + std::to_string(j) + "]", inQuotes(placed.userName) + " has no output " +
                                                                           inQuotes(entry.outputs[j]) +
                                                                           portChoices(entry.outputs[j], outputs));
    }
    placed.outputs.push_back(static_cast<std::size_t>(output - outputs.begin()));
  }
}

}  // namespace kv::scenehost
