// SPDX-License-Identifier: MIT
#include "conformance/state_json.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <variant>

namespace kv::conformance {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* KIND_KEYS[] = {"i4", "u4", "dp"};  // in StoredValue's alternative order

std::string blockText(std::uint32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>((id >> shift) & 0xFF);
  return text;
}

Json valueJson(const host::StoredValue& value) {
  return std::visit([](auto v) { return Json(v); }, value);
}

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw StateFormatError(where + ": " + what);
}

host::StoredValue valueFromJson(const Json& json, std::size_t kind, const std::string& where) {
  switch (kind) {
    case 0:
      if (json.is_number_integer() && json.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
          json.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max()) {
        return static_cast<std::int32_t>(json.get<std::int64_t>());
      }
      fail(where, "expected a signed 32-bit integer");
    case 1:
      if (json.is_number_unsigned() && json.get<std::uint64_t>() <= std::numeric_limits<std::uint32_t>::max()) {
        return static_cast<std::uint32_t>(json.get<std::uint64_t>());
      }
      fail(where, "expected an unsigned 32-bit integer");
    default:
      if (json.is_number() && std::isfinite(json.get<double>())) return json.get<double>();
      fail(where, "expected a number");
  }
}

void readValues(const Json& list, std::size_t kind, const std::string& where, host::StoredBlock& block) {
  if (!list.is_array()) fail(where, "expected a list of values");
  for (std::size_t i = 0; i < list.size(); ++i) {
    block.values.push_back(valueFromJson(list[i], kind, where + "[" + std::to_string(i) + "]"));
  }
}

// One {"i4": v} / {"u4": v} / {"dp": v} entry of a mixed "values" list.
void readTaggedValue(const Json& entry, const std::string& where, host::StoredBlock& block) {
  if (entry.is_object() && entry.size() == 1) {
    for (std::size_t kind = 0; kind < 3; ++kind) {
      if (entry.contains(KIND_KEYS[kind])) {
        block.values.push_back(valueFromJson(entry[KIND_KEYS[kind]], kind, where + "." + KIND_KEYS[kind]));
        return;
      }
    }
  }
  fail(where, "expected {\"i4\": v}, {\"u4\": v} or {\"dp\": v}");
}

host::StoredBlock blockFromJson(const Json& json, const std::string& where) {
  if (!json.is_object()) fail(where, "expected a block {\"block\": \"IIDS\", \"token\": ..., ...}");
  host::StoredBlock block;
  bool haveId = false;
  for (const auto& [key, value] : json.items()) {
    const std::string at = where + "." + key;
    if (key == "block") {
      if (!value.is_string() || value.get<std::string>().size() != 4) fail(at, "expected four characters");
      const std::string text = value.get<std::string>();
      for (char c : text) block.id = (block.id << 8) | static_cast<std::uint8_t>(c);
      haveId = true;
    } else if (key == "token") {
      if (!value.is_string()) fail(at, "expected a text");
      block.token = value.get<std::string>();
    } else if (key == "leaf") {
      if (!value.is_boolean()) fail(at, "expected true or false");
      block.leaf = value.get<bool>();
    } else if (key == "values") {
      if (!value.is_array()) fail(at, "expected a list");
      for (std::size_t i = 0; i < value.size(); ++i)
        readTaggedValue(value[i], at + "[" + std::to_string(i) + "]", block);
    } else if (key == "i4" || key == "u4" || key == "dp") {
      readValues(value, key == "i4" ? 0 : key == "u4" ? 1 : 2, at, block);
    } else if (key != "comment") {
      fail(at, "unknown key (a block has \"block\", \"token\", \"leaf\" and \"i4\", \"u4\", \"dp\" or \"values\")");
    }
  }
  if (!haveId) fail(where, "missing \"block\"");
  return block;
}

}  // namespace

Json stateToJson(const host::SavedState& state) {
  Json blocks = Json::array();
  for (const host::StoredBlock& block : state.blocks) {
    Json entry = Json::object();
    entry["block"] = blockText(block.id);
    entry["token"] = block.token;
    if (!block.leaf) entry["leaf"] = false;
    bool oneKind = true;
    for (const host::StoredValue& value : block.values) oneKind = oneKind && value.index() == block.values[0].index();
    if (oneKind && !block.values.empty()) {
      Json values = Json::array();
      for (const host::StoredValue& value : block.values) values.push_back(valueJson(value));
      entry[KIND_KEYS[block.values[0].index()]] = values;
    } else {
      Json values = Json::array();
      for (const host::StoredValue& value : block.values) {
        values.push_back(Json::object({{KIND_KEYS[value.index()], valueJson(value)}}));
      }
      entry["values"] = values;
    }
    blocks.push_back(entry);
  }
  return blocks;
}

host::SavedState stateFromJson(const Json& json, const std::string& where) {
  if (!json.is_array()) fail(where, "expected a list of blocks");
  host::SavedState state;
  for (std::size_t i = 0; i < json.size(); ++i) {
    state.blocks.push_back(blockFromJson(json[i], where + "[" + std::to_string(i) + "]"));
  }
  return state;
}

}  // namespace kv::conformance
