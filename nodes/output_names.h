// The nodes' outputs, one table per kind of node, in the order create
// registers them; evaluation maps an output to its role through the same row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "contract/host_api.h"
#include "contract/port_names.h"
#include "nodes/node_table.h"

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

inline constexpr std::size_t BONE_ONLY_INFO_OUTPUTS = 3;

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

struct PortDef {
  const char* name;
  ConnectionType type;
};

// Outputs of the single-value kinds, indexed by NodeKind (the NK_INFO row is
// unused); a row ends at its first null name.
inline constexpr std::array<std::array<PortDef, 4>, 8> kindOutputs{{
    {},
    {{{port::POSITION, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}}},
    {{{port::ROTATION, CT_VECTOR}, {port::H, CT_SCALAR}, {port::P, CT_SCALAR}, {port::B, CT_SCALAR}}},
    {{{port::SCALE, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}}},
    {{{port::WORLD_POS, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}}},
    {{{port::WORLD_ROT, CT_VECTOR}, {port::H, CT_SCALAR}, {port::P, CT_SCALAR}, {port::B, CT_SCALAR}}},
    {{{port::WORLD_RIGHT, CT_VECTOR}, {port::WORLD_UP, CT_VECTOR}, {port::WORLD_FORWARD, CT_VECTOR}, {}}},
    {{{port::LOCAL_RIGHT, CT_VECTOR}, {port::LOCAL_UP, CT_VECTOR}, {port::LOCAL_FORWARD, CT_VECTOR}, {}}},
}};

}  // namespace kv
