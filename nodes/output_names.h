// SPDX-License-Identifier: MIT
// The Info nodes' outputs, in the order create registers them; evaluation maps
// an output to its role through the same row.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "contract/host_api.h"
#include "contract/port_names.h"
#include "nodes/family.h"

namespace kv {

// What an Info output is.
enum class InfoOutput : std::uint8_t {
  Position,
  Rotation,
  Scale,
  WorldPos,
  WorldRot,
  Right,
  Up,
  Forward,
  WorldRight,
  WorldUp,
  WorldForward,
  PivotPos,
  PivotRot,
  RestPos,
  RestRot,
  Parent,
  Owner,
  Item,
};

struct InfoOutputDef {
  InfoOutput role;
  const char* name;
  ConnectionType type;
  bool boneOnly = false;  // "restPos", "restRot", "Owner": not on Item Info
};

// The Bone Info node's outputs; Item Info has the same without the bone-only rows.
inline constexpr std::array<InfoOutputDef, 18> boneInfoOutputs{{
    {InfoOutput::Position, port::POSITION, CT_VECTOR},
    {InfoOutput::Rotation, port::ROTATION, CT_VECTOR},
    {InfoOutput::Scale, port::SCALE, CT_VECTOR},
    {InfoOutput::WorldPos, port::WORLD_POS, CT_VECTOR},
    {InfoOutput::WorldRot, port::WORLD_ROT, CT_VECTOR},
    {InfoOutput::Right, port::RIGHT, CT_VECTOR},
    {InfoOutput::Up, port::UP, CT_VECTOR},
    {InfoOutput::Forward, port::FORWARD, CT_VECTOR},
    {InfoOutput::WorldRight, port::WORLD_RIGHT, CT_VECTOR},
    {InfoOutput::WorldUp, port::WORLD_UP, CT_VECTOR},
    {InfoOutput::WorldForward, port::WORLD_FORWARD, CT_VECTOR},
    {InfoOutput::PivotPos, port::PIVOT_POS, CT_VECTOR},
    {InfoOutput::PivotRot, port::PIVOT_ROT, CT_VECTOR},
    {InfoOutput::RestPos, port::REST_POS, CT_VECTOR, true},
    {InfoOutput::RestRot, port::REST_ROT, CT_VECTOR, true},
    {InfoOutput::Parent, port::PARENT, CT_INTEGER},
    {InfoOutput::Owner, port::OWNER, CT_INTEGER, true},
    {InfoOutput::Item, port::ITEM, CT_INTEGER},
}};

inline constexpr auto BONE_ONLY_INFO_OUTPUTS = static_cast<std::size_t>(std::count_if(
    boneInfoOutputs.begin(), boneInfoOutputs.end(), [](const InfoOutputDef& def) { return def.boneOnly; }));

inline constexpr std::array<InfoOutputDef, boneInfoOutputs.size() - BONE_ONLY_INFO_OUTPUTS> itemInfoOutputs = [] {
  std::array<InfoOutputDef, boneInfoOutputs.size() - BONE_ONLY_INFO_OUTPUTS> rows{};
  std::size_t n = 0;
  for (const InfoOutputDef& def : boneInfoOutputs) {
    if (!def.boneOnly) rows[n++] = def;
  }
  return rows;
}();

template <Family F>
constexpr const auto& infoOutputsOf() {
  if constexpr (F == Family::Bone) {
    return boneInfoOutputs;
  } else {
    return itemInfoOutputs;
  }
}

// An output as create registers it.
struct PortDef {
  const char* name;
  ConnectionType type;
};

}  // namespace kv
