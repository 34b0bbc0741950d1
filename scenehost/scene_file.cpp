// SPDX-License-Identifier: MIT
#include "scenehost/scene_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <numbers>
#include <utility>

#include "contract/port_names.h"
#include "scenehost/errors.h"
#include "scenehost/near_miss.h"
#include "scenehost/state_json.h"
#include "scenehost/text_file.h"

namespace kv::scenehost {
namespace {

using Json = nlohmann::ordered_json;
using host::Triple;

constexpr double DEGREE = std::numbers::pi / 180.0;

std::string indexed(const std::string& where, std::size_t index) { return where + "[" + std::to_string(index) + "]"; }

const char* typeName(ItemId id) {
  switch (host::itemTypeOf(id)) {
    case IT_OBJECT:
      return "an object";
    case IT_LIGHT:
      return "a light";
    case IT_CAMERA:
      return "a camera";
    default:
      return "a bone";
  }
}

// One animatable parameter as written: a constant triple or keys.
struct ChannelValue {
  std::optional<Triple> constant;
  std::vector<host::Key> keys;
};

class SceneParser {
 public:
  explicit SceneParser(SceneFile& file) : file_(file) {}

  void run() {
    const Json& doc = file_.document;
    if (!doc.is_object()) fail("", "expected a JSON object with \"items\" and \"nodes\"");
    checkKeys(doc, "", {"module", "fps", "frames", "angles", "items", "selection", "nodes"});
    if (doc.contains("fps")) {
      file_.fps = number(doc["fps"], "fps");
      if (!(file_.fps > 0)) fail("fps", "expected a positive number");
    }
    if (doc.contains("angles")) {
      const std::string angles = text(doc["angles"], "angles");
      if (angles != "degrees" && angles != "radians") {
        fail("angles", "expected \"degrees\" or \"radians\"" + didYouMean(angles, {"degrees", "radians"}));
      }
      file_.angles = angles == "degrees" ? AngleUnit::Degrees : AngleUnit::Radians;
    }
    if (doc.contains("frames")) {
      std::string problem;
      file_.frames = parseFrameRange(text(doc["frames"], "frames"), &problem);
      if (!file_.frames) fail("frames", problem);
    }
    if (doc.contains("module")) file_.module = text(doc["module"], "module");
    if (doc.contains("items")) readItems(doc["items"]);
    if (doc.contains("selection")) readSelection(doc["selection"]);
    if (doc.contains("nodes")) readNodes(doc["nodes"]);
  }

 private:
  [[noreturn]] void fail(const std::string& where, const std::string& what) const {
    throw SceneError(file_.path + ": " + (where.empty() ? "" : where + ": ") + what);
  }

  void checkKeys(const Json& object, const std::string& where, std::initializer_list<std::string_view> allowed) const {
    for (const auto& [key, value] : object.items()) {
      if (key == "comment" || std::find(allowed.begin(), allowed.end(), key) != allowed.end()) continue;
      std::string known;
      for (std::string_view name : allowed) known += (known.empty() ? "" : ", ") + inQuotes(name);
      fail(where.empty() ? key : where + "." + key,
           "unknown key" + didYouMean(key, {allowed.begin(), allowed.end()}) + " (expected one of " + known + ")");
    }
  }

  double number(const Json& json, const std::string& where) const {
    if (!json.is_number() || !std::isfinite(json.get<double>())) fail(where, "expected a number");
    return json.get<double>();
  }

  std::string text(const Json& json, const std::string& where) const {
    if (!json.is_string()) fail(where, "expected a text");
    return json.get<std::string>();
  }

  const Json& list(const Json& json, const std::string& where) const {
    if (!json.is_array()) fail(where, "expected a list");
    return json;
  }

  Triple triple(const Json& json, const std::string& where, double unit) const {
    if (!json.is_array() || json.size() != 3) fail(where, "expected three numbers [x, y, z]");
    Triple value;
    for (std::size_t i = 0; i < 3; ++i) value[i] = number(json[i], indexed(where, i)) * unit;
    return value;
  }

  // A key {"t"|"f": ..., "v": ...}: checks its shape and returns its "v".
  const Json& keyValue(const Json& key, const std::string& where) const {
    if (!key.is_object()) fail(where, "expected a key {\"t\"|\"f\": ..., \"v\": ...}");
    checkKeys(key, where, {"t", "f", "v"});
    if (!key.contains("v")) fail(where, "missing \"v\"");
    return key["v"];
  }

  // A key's time: "t" in seconds or "f" in frames.
  double keyTime(const Json& key, const std::string& where) const {
    if (key.contains("t") == key.contains("f")) fail(where, "give a key either \"t\" (seconds) or \"f\" (frame)");
    return key.contains("t") ? number(key["t"], where + ".t") : number(key["f"], where + ".f") / file_.fps;
  }

  // [x, y, z], keys [{"t"|"f": ..., "v": [x, y, z]}, ...], or either wrapped
  // in {"deg": ...} or {"rad": ...} for angles.
  ChannelValue channel(const Json& json, const std::string& where, bool angle) const {
    double unit = angle && file_.angles == AngleUnit::Degrees ? DEGREE : 1.0;
    const Json* body = &json;
    if (json.is_object()) {
      if (json.size() != 1 || !(json.contains("deg") || json.contains("rad"))) {
        fail(where, "expected [x, y, z], a list of keys, or {\"deg\": ...} / {\"rad\": ...}");
      }
      if (!angle) fail(where, "only rotations take \"deg\" or \"rad\"");
      unit = json.contains("deg") ? DEGREE : 1.0;
      body = json.contains("deg") ? &json["deg"] : &json["rad"];
    }
    ChannelValue value;
    if (body->is_array() && !body->empty() && body->front().is_object()) {
      for (std::size_t i = 0; i < body->size(); ++i) {
        const Json& key = (*body)[i];
        const std::string at = indexed(where, i);
        const Json& v = keyValue(key, at);
        value.keys.push_back({keyTime(key, at), triple(v, at + ".v", unit)});
      }
    } else {
      value.constant = triple(*body, where, unit);
    }
    return value;
  }

  void readItems(const Json& items) {
    list(items, "items");
    // Objects, lights and cameras first so that bones may name owners placed later.
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string where = indexed("items", i);
      const Json& item = items[i];
      if (!item.is_object()) fail(where, "expected an item {\"type\": ..., \"name\": ...}");
      checkKeys(item, where,
                {"type", "name", "parent", "owner", "color", "position", "rotation", "scale", "pivot", "pivotRotation",
                 "restPosition", "restRotation"});
      if (!item.contains("type")) fail(where, "missing \"type\"");
      if (!item.contains("name")) fail(where, "missing \"name\"");
      const std::string type = text(item["type"], where + ".type");
      const std::string name = text(item["name"], where + ".name");
      if (type == "bone") continue;
      if (type != "object" && type != "light" && type != "camera") {
        fail(where + ".type", "expected \"object\", \"light\", \"camera\" or \"bone\"" +
                                  didYouMean(type, {"object", "light", "camera", "bone"}));
      }
      if (item.contains("owner")) fail(where + ".owner", "only bones have an owner");
      if (named_.contains(name)) fail(where + ".name", "another item is named " + inQuotes(name));
      const ItemId id = type == "object"  ? file_.scene.addObject(name)
                        : type == "light" ? file_.scene.addLight(name)
                                          : file_.scene.addCamera(name);
      named_[name] = id;
      ids_.push_back({i, id});
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string where = indexed("items", i);
      const Json& item = items[i];
      if (item["type"] != "bone") continue;
      if (!item.contains("owner")) fail(where, "a bone needs an \"owner\" object");
      const ItemId owner = namedObject(text(item["owner"], where + ".owner"), where + ".owner");
      const std::string name = item["name"].get<std::string>();
      if (bones_[owner].contains(name)) {
        fail(where + ".name", inQuotes(file_.scene.name(owner)) + " already has a bone named " + inQuotes(name));
      }
      const ItemId id = file_.scene.addBone(owner, name, owner);
      bones_[owner][name] = id;
      ids_.push_back({i, id});
    }
    std::sort(ids_.begin(), ids_.end());
    for (const auto& [index, id] : ids_) readItemDetails(items[index], indexed("items", index), id);
    for (const auto& [index, id] : ids_) checkNoCycle(indexed("items", index), id);
  }

  ItemId namedObject(const std::string& name, const std::string& where) const {
    const ItemId id = resolve(name, where);
    if (host::itemTypeOf(id) != IT_OBJECT) fail(where, inQuotes(name) + " is " + typeName(id) + ", not an object");
    return id;
  }

  // An item by name: objects, lights and cameras by their unique names; bones
  // by a name unique among all bones, or as "Owner:Bone".
  ItemId resolve(const std::string& name, const std::string& where) const {
    if (auto it = named_.find(name); it != named_.end()) return it->second;
    if (const std::optional<ItemId> bone = boneNamed(name, where)) return *bone;
    if (const std::size_t colon = name.find(':'); colon != std::string::npos) {
      const auto owner = named_.find(name.substr(0, colon));
      if (owner != named_.end()) {
        if (auto bones = bones_.find(owner->second); bones != bones_.end()) {
          if (auto it = bones->second.find(name.substr(colon + 1)); it != bones->second.end()) return it->second;
        }
      }
    }
    fail(where, "no item named " + inQuotes(name) + didYouMean(name, itemNames()));
  }

  // The one bone named `name` among all bones; nullopt when none is. A name
  // that several bones share is refused, listing the "Owner:Bone" forms.
  std::optional<ItemId> boneNamed(const std::string& name, const std::string& where) const {
    std::vector<ItemId> matches;
    for (const auto& [owner, bones] : bones_) {
      if (auto it = bones.find(name); it != bones.end()) matches.push_back(it->second);
    }
    if (matches.empty()) return std::nullopt;
    if (matches.size() == 1) return matches[0];
    std::string forms;
    for (std::size_t i = 0; i < matches.size(); ++i) {
      forms += (i == 0 ? "" : i + 1 < matches.size() ? ", " : " or ") + inQuotes(file_.itemLabel(matches[i]));
    }
    fail(where, "several bones are named " + inQuotes(name) + ": write " + forms);
  }

  // Every name an item can be given by: objects, lights and cameras; bones
  // alone and as "Owner:Bone".
  std::vector<std::string> itemNames() const {
    std::vector<std::string> names;
    for (const auto& [name, id] : named_) names.push_back(name);
    for (const auto& [owner, bones] : bones_) {
      for (const auto& [name, id] : bones) {
        names.push_back(name);
        names.push_back(file_.itemLabel(id));
      }
    }
    return names;
  }

  // A bone's parent: a bone of the same owner by that name, else any item.
  ItemId siblingBone(ItemId bone, const std::string& name, const std::string& where) const {
    const auto& siblings = bones_.at(host::boneOwner(bone));
    const auto sibling = siblings.find(name);
    return sibling != siblings.end() ? sibling->second : resolve(name, where);
  }

  // An item reference that may be null (none).
  ItemId optionalItem(const Json& json, const std::string& where) const {
    return json.is_null() ? 0 : resolve(text(json, where), where);
  }

  void readItemDetails(const Json& item, const std::string& where, ItemId id) {
    const bool bone = host::itemTypeOf(id) == IT_BONE;
    if (item.contains("parent")) {
      const std::string at = where + ".parent";
      ItemId parent = 0;
      if (!item["parent"].is_null()) {
        const std::string name = text(item["parent"], at);
        parent = bone ? siblingBone(id, name, at) : resolve(name, at);
      }
      if (parent == id) fail(at, "an item cannot be its own parent");
      file_.scene.setParent(id, parent);
    }
    if (item.contains("color")) {
      const Json& color = item["color"];
      if (!color.is_number_unsigned() || color.get<std::uint64_t>() > 0xFFFFFFFFu) {
        fail(where + ".color", "expected an unsigned 32-bit integer");
      }
      file_.scene.setColor(id, static_cast<std::uint32_t>(color.get<std::uint64_t>()));
    }
    static constexpr struct {
      const char* key;
      int code;
      bool angle;
    } params[] = {
        {"position", PARAM_POSITION, false},
        {"rotation", PARAM_ROTATION, true},
        {"scale", PARAM_SCALING, false},
        {"pivot", PARAM_PIVOT, false},
        {"pivotRotation", PARAM_PIVOT_ROTATION, true},
    };
    for (const auto& param : params) {
      if (!item.contains(param.key)) continue;
      ChannelValue value = channel(item[param.key], where + "." + param.key, param.angle);
      if (value.constant) {
        file_.scene.setParam(id, param.code, *value.constant);
      } else {
        file_.scene.setParamKeys(id, param.code, std::move(value.keys));
      }
    }
    static constexpr struct {
      const char* key;
      int code;
      bool angle;
    } rests[] = {{"restPosition", PARAM_POSITION, false}, {"restRotation", PARAM_ROTATION, true}};
    for (const auto& rest : rests) {
      if (!item.contains(rest.key)) continue;
      const std::string at = where + "." + rest.key;
      if (!bone) fail(at, "only bones have rest values");
      const ChannelValue value = channel(item[rest.key], at, rest.angle);
      if (!value.constant) fail(at, "a rest value is a constant [x, y, z]");
      file_.scene.setRest(id, rest.code, *value.constant);
    }
  }

  // The walks up the parent chain must end.
  void checkNoCycle(const std::string& where, ItemId id) const {
    std::vector<ItemId> seen{id};
    for (ItemId at = file_.scene.parent(id); at != 0; at = file_.scene.parent(at)) {
      if (std::find(seen.begin(), seen.end(), at) != seen.end()) {
        fail(where + ".parent", "the parents of " + inQuotes(file_.itemLabel(id)) + " form a cycle");
      }
      seen.push_back(at);
    }
  }

  void readSelection(const Json& selection) {
    list(selection, "selection");
    std::vector<ItemId> items;
    for (std::size_t i = 0; i < selection.size(); ++i) {
      const std::string where = indexed("selection", i);
      items.push_back(resolve(text(selection[i], where), where));
    }
    file_.scene.select(std::move(items));
  }

  void readNodes(const Json& nodes) {
    list(nodes, "nodes");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      NodeEntry node = readNode(nodes[i], indexed("nodes", i));
      node.index = i;
      for (const NodeEntry& other : file_.nodes) {
        if (other.name == node.name) {
          fail(node.where + (nodes[i].contains("name") ? ".name" : ""),
               "another node is named " + inQuotes(node.name) + " (give each node its own \"name\")");
        }
      }
      file_.nodes.push_back(std::move(node));
    }
  }

  NodeEntry readNode(const Json& json, const std::string& where) const {
    if (!json.is_object()) fail(where, "expected a node {\"server\": ..., ...}");
    checkKeys(json, where, {"name", "server", "item", "object", "bone", "time", "mode", "inputs", "outputs", "state"});
    NodeEntry node;
    node.where = where;
    if (!json.contains("server")) fail(where, "missing \"server\"");
    node.server = text(json["server"], where + ".server");
    node.name = json.contains("name") ? text(json["name"], where + ".name") : node.server;
    if (json.contains("item")) {
      if (json.contains("object") || json.contains("bone")) {
        fail(where, "give \"item\" (item nodes) or \"object\" and \"bone\" (bone nodes), not both");
      }
      node.item = optionalItem(json["item"], where + ".item");
    }
    if (json.contains("object")) {
      node.object =
          json["object"].is_null() ? 0 : namedObject(text(json["object"], where + ".object"), where + ".object");
    }
    if (json.contains("bone")) node.bone = nodeBone(json["bone"], where + ".bone", node.object);
    if (node.bone && *node.bone != 0 && !node.object) node.object = host::boneOwner(*node.bone);
    if (json.contains("time")) node.panelTime = number(json["time"], where + ".time");
    if (json.contains("mode")) node.mode = mode(json["mode"], where + ".mode");
    if (json.contains("inputs")) node.inputs = inputs(json["inputs"], where + ".inputs");
    if (json.contains("outputs")) {
      const Json& outputs = json["outputs"];
      if (outputs.is_string()) {
        node.outputs.push_back(outputs.get<std::string>());
      } else {
        list(outputs, where + ".outputs");
        for (std::size_t i = 0; i < outputs.size(); ++i) {
          node.outputs.push_back(text(outputs[i], indexed(where + ".outputs", i)));
        }
      }
    }
    if (json.contains("state")) node.state = stateFromJson(json["state"], file_.path + ": " + where + ".state");
    return node;
  }

  // A bone by name: among the bones of `object` when one is given.
  ItemId nodeBone(const Json& json, const std::string& where, std::optional<ItemId> object) const {
    if (json.is_null()) return 0;
    const std::string name = text(json, where);
    if (object && *object != 0) {
      const auto bones = bones_.find(*object);
      if (bones != bones_.end()) {
        if (auto it = bones->second.find(name); it != bones->second.end()) return it->second;
      }
      const ItemId id = resolve(name, where);
      if (host::itemTypeOf(id) != IT_BONE || host::boneOwner(id) != *object) {
        std::vector<std::string> names;
        if (bones != bones_.end()) {
          for (const auto& [bone, boneId] : bones->second) names.push_back(bone);
        }
        fail(where,
             inQuotes(file_.itemLabel(*object)) + " has no bone named " + inQuotes(name) + didYouMean(name, names));
      }
      return id;
    }
    // In a bone field a bone's name means the bone, even where an object has it too.
    if (const std::optional<ItemId> bone = boneNamed(name, where)) return *bone;
    const ItemId id = resolve(name, where);
    if (host::itemTypeOf(id) != IT_BONE) fail(where, inQuotes(name) + " is " + typeName(id) + ", not a bone");
    return id;
  }

  // A time mode by its label or its number; the module takes no other.
  std::int32_t mode(const Json& json, const std::string& where) const {
    static const std::vector<std::string> labels{"Cur", "Abs", "Rel"};
    if (json.is_string()) {
      const std::string label = json.get<std::string>();
      const auto found = std::find(labels.begin(), labels.end(), label);
      if (found != labels.end()) return static_cast<std::int32_t>(found - labels.begin());
    }
    if (json.is_number_integer() && json.get<std::int64_t>() >= 0 &&
        json.get<std::int64_t>() < static_cast<std::int64_t>(labels.size())) {
      return static_cast<std::int32_t>(json.get<std::int64_t>());
    }
    const std::string suggestion = json.is_string() ? didYouMean(json.get<std::string>(), labels) : "";
    fail(where, "expected \"Cur\", \"Abs\" or \"Rel\" (or 0, 1, 2), not " + json.dump() + suggestion);
  }

  // {"Time": 0.5 | keys, "Item": "Name" | null | keys}: numbers make a scalar
  // track, item names (or null for none) an item track.
  std::vector<InputConnection> inputs(const Json& json, const std::string& where) const {
    if (!json.is_object()) fail(where, "expected {\"input name\": value, ...}");
    std::vector<InputConnection> connections;
    for (const auto& [name, value] : json.items()) {
      const std::string at = where + "." + name;
      const Json* first = &value;
      if (value.is_array()) {
        if (value.empty()) fail(at, "expected at least one key");
        first = &keyValue(value.front(), indexed(at, 0));
      }
      InputConnection connection{name, at, {}};
      if (name == port::TIME && !first->is_number()) {
        fail(at,
             "a time must be seconds or keys of seconds (0.5, or [{\"f\": 0, \"v\": 0.5}, ...]), not " + first->dump());
      }
      if (first->is_number()) {
        connection.source =
            track<ScalarTrack>(value, at, [this](const Json& v, const std::string& w) { return number(v, w); });
      } else if (first->is_string() || first->is_null()) {
        connection.source =
            track<ItemTrack>(value, at, [this](const Json& v, const std::string& w) { return optionalItem(v, w); });
      } else {
        fail(at, "expected a number (a scalar input), an item name or null (an item input), or keys of them");
      }
      connections.push_back(std::move(connection));
    }
    return connections;
  }

  // A constant (one key at time 0) or keys sorted by time, each value read by `read`.
  template <typename Track, typename Read>
  Track track(const Json& value, const std::string& where, Read read) const {
    Track track;
    if (!value.is_array()) {
      track.keys.push_back({0.0, read(value, where)});
      return track;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
      const std::string at = indexed(where, i);
      const Json& v = keyValue(value[i], at);
      track.keys.push_back({keyTime(value[i], at), read(v, at + ".v")});
    }
    std::stable_sort(track.keys.begin(), track.keys.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    return track;
  }

  SceneFile& file_;
  std::map<std::string, ItemId> named_;                    // objects, lights, cameras
  std::map<ItemId, std::map<std::string, ItemId>> bones_;  // by owner object
  std::vector<std::pair<std::size_t, ItemId>> ids_;        // (index in "items", identifier)
};

}  // namespace

std::optional<FrameRange> parseFrameRange(std::string_view text, std::string* problem) {
  std::string why;
  auto integer = [&why](std::string_view part, const char* name, int& out) {
    const char* end = part.data() + part.size();
    auto [ptr, error] = std::from_chars(part.data(), end, out);
    if (error == std::errc::result_out_of_range) {
      why = std::string(name) + " " + std::string(part) + " is beyond the frame numbers a run counts (" +
            std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX) + ")";
    } else if (error != std::errc() || ptr != end || part.empty()) {
      why = std::string(name) + " must be a whole number, not \"" + std::string(part) + "\"";
    }
    return why.empty();
  };
  auto failed = [&]() -> std::optional<FrameRange> {
    if (problem) *problem = why;
    return std::nullopt;
  };
  FrameRange range;
  const std::size_t dots = text.find("..");
  if (dots == std::string_view::npos) {
    if (!integer(text, "the frame", range.first)) {
      if (text.find_first_not_of("+-0123456789") != std::string_view::npos) {
        why = "expected FIRST..LAST, FIRST..LAST:STEP or one frame, not \"" + std::string(text) + "\"";
      }
      return failed();
    }
    range.last = range.first;
    return range;
  }
  std::string_view rest = text.substr(dots + 2);
  const std::size_t colon = rest.find(':');
  if (!integer(text.substr(0, dots), "FIRST", range.first) || !integer(rest.substr(0, colon), "LAST", range.last)) {
    return failed();
  }
  if (colon != std::string_view::npos && !integer(rest.substr(colon + 1), "STEP", range.step)) return failed();
  if (range.step <= 0) {
    why = "STEP must be at least 1, not " + std::to_string(range.step);
    return failed();
  }
  if (range.last < range.first) {
    why = "LAST (" + std::to_string(range.last) + ") comes before FIRST (" + std::to_string(range.first) +
          "): frames run forwards";
    return failed();
  }
  return range;
}

double ScalarTrack::at(double time) const {
  if (time <= keys.front().time) return keys.front().value;
  if (time >= keys.back().time) return keys.back().value;
  auto after = std::upper_bound(keys.begin(), keys.end(), time, [](double t, const Key& key) { return t < key.time; });
  const Key& a = *(after - 1);
  const Key& b = *after;
  return a.value + (b.value - a.value) * ((time - a.time) / (b.time - a.time));
}

ItemId ItemTrack::at(double time) const {
  auto after = std::upper_bound(keys.begin(), keys.end(), time, [](double t, const Key& key) { return t < key.time; });
  return after == keys.begin() ? keys.front().item : (after - 1)->item;
}

std::string SceneFile::itemLabel(ItemId id) const {
  if (id == 0) return "(none)";
  const char* name = scene.name(id);
  if (name == nullptr) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", id);
    return std::string("#") + hex;
  }
  if (host::itemTypeOf(id) == IT_BONE) {
    const char* owner = scene.name(host::boneOwner(id));
    return std::string(owner ? owner : "?") + ":" + name;
  }
  return name;
}

const NodeEntry* SceneFile::findNode(std::string_view name) const {
  for (const NodeEntry& node : nodes) {
    if (node.name == name) return &node;
  }
  std::size_t index = 0;
  auto [ptr, error] = std::from_chars(name.data(), name.data() + name.size(), index);
  if (error == std::errc() && ptr == name.data() + name.size() && !name.empty() && index < nodes.size()) {
    return &nodes[index];
  }
  return nullptr;
}

SceneFile parseSceneFile(Json document, std::string path) {
  SceneFile file;
  file.path = std::move(path);
  file.document = std::move(document);
  SceneParser(file).run();
  return file;
}

SceneFile loadSceneFile(const std::string& path) {
  const bool standardInput = path == STANDARD_STREAM;
  const std::string name = standardInput ? "(standard input)" : path;
  std::string text = standardInput ? readStandardInput() : readTextFile(path);
  SceneFile file = parseSceneFile(parseJsonText(text, name), name);
  file.text = std::move(text);
  return file;
}

}  // namespace kv::scenehost
