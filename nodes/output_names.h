// The names and connection types of the nodes' inputs and outputs, in the
// order create registers them (evaluation relies on that order).
#pragma once

#include <cstdint>

#include "contract/host_api.h"
#include "nodes/node_table.h"

namespace kv {

// Entries 0..17 are output names, 18 and 19 the two input names.
inline constexpr const char* outputNames[20] = {
    "Position", "Rotation", "Scale",    "W Pos",   "W Rot",   "Right",  "Up",    "Forward", "W Rgt", "W Up",
    "W Fwd",    "pivotPos", "pivotRot", "restPos", "restRot", "Parent", "Owner", "Item",    "Time",  "Item",
};
inline constexpr int TIME_INPUT_NAME = 18;
inline constexpr int ITEM_INPUT_NAME = 19;

// The Info nodes' outputs as entries of outputNames: vectors, then integers.
inline constexpr int ITEM_INFO_VECTOR_OUTPUTS = 13;               // "Position" .. "pivotRot"
inline constexpr int BONE_INFO_VECTOR_OUTPUTS = 15;               // and "restPos", "restRot"
inline constexpr int ITEM_INFO_INTEGER_OUTPUTS[] = {15, 17};      // "Parent", "Item"
inline constexpr int BONE_INFO_INTEGER_OUTPUTS[] = {15, 16, 17};  // "Parent", "Owner", "Item"

// Outputs of the single-value kinds, indexed by NodeKind (the NK_INFO row is unused).
inline constexpr const char* kindOutputNames[8][4] = {
    {nullptr, nullptr, nullptr, nullptr},
    {"Position", "X", "Y", "Z"},
    {"Rotation", "H", "P", "B"},
    {"Scale", "X", "Y", "Z"},
    {"W Pos", "X", "Y", "Z"},
    {"W Rot", "H", "P", "B"},
    {"W Rgt", "W Up", "W Fwd", nullptr},
    {"Rgt", "Up", "Fwd", nullptr},
};

// Connection types of a vector-and-components kind, four bits each, lowest first: 3, 2, 2, 2.
inline constexpr std::uint32_t COMPONENT_KIND_TYPES = 0x2223;

constexpr int kindOutputType(NodeKind kind, int index) {
  if (kind == NK_MXW || kind == NK_MX) return CT_VECTOR;
  return static_cast<int>((COMPONENT_KIND_TYPES >> (4 * index)) & 0xF);
}

}  // namespace kv
