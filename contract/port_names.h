// SPDX-License-Identifier: MIT
// The names of the nodes' inputs and outputs as the node editor shows them,
// and what each output measures. They are what a host sees of a node's ports,
// so the module registers them and a host recognises them (plot units, the
// item input) from here alone.
#pragma once

#include <optional>
#include <string_view>

namespace kv {

// What an output measures, which gives it its unit.
enum class Quantity {
  Position,   // a point, in scene units
  Rotation,   // heading, pitch, bank in radians
  Scale,      // scale factors
  Direction,  // an axis of the item or of the world
  Distance,   // a length in scene units, one number
  Item,       // an item identifier
};

namespace port {

inline constexpr const char* TIME = "Time";
inline constexpr const char* ITEM = "Item";

inline constexpr const char* POSITION = "Position";
inline constexpr const char* ROTATION = "Rotation";
inline constexpr const char* SCALE = "Scale";
inline constexpr const char* WORLD_POS = "W Pos";
inline constexpr const char* WORLD_ROT = "W Rot";
inline constexpr const char* RIGHT = "Right";
inline constexpr const char* UP = "Up";
inline constexpr const char* FORWARD = "Forward";
inline constexpr const char* WORLD_RIGHT = "W Rgt";
inline constexpr const char* WORLD_UP = "W Up";
inline constexpr const char* WORLD_FORWARD = "W Fwd";
inline constexpr const char* PIVOT_POS = "pivotPos";
inline constexpr const char* PIVOT_ROT = "pivotRot";
inline constexpr const char* REST_POS = "restPos";
inline constexpr const char* REST_ROT = "restRot";
inline constexpr const char* PARENT = "Parent";
inline constexpr const char* OWNER = "Owner";

// The component outputs of the single-value nodes.
inline constexpr const char* X = "X";
inline constexpr const char* Y = "Y";
inline constexpr const char* Z = "Z";
inline constexpr const char* H = "H";
inline constexpr const char* P = "P";
inline constexpr const char* B = "B";
inline constexpr const char* LOCAL_RIGHT = "Rgt";
inline constexpr const char* LOCAL_FORWARD = "Fwd";

struct Measured {
  const char* name;
  Quantity quantity;
};

// Every output name with what it measures; the module's node table checks that
// each output it registers is here.
inline constexpr Measured QUANTITIES[] = {
    {POSITION, Quantity::Position},
    {WORLD_POS, Quantity::Position},
    {PIVOT_POS, Quantity::Position},
    {REST_POS, Quantity::Position},
    {ROTATION, Quantity::Rotation},
    {WORLD_ROT, Quantity::Rotation},
    {PIVOT_ROT, Quantity::Rotation},
    {REST_ROT, Quantity::Rotation},
    {SCALE, Quantity::Scale},
    {RIGHT, Quantity::Direction},
    {UP, Quantity::Direction},
    {FORWARD, Quantity::Direction},
    {WORLD_RIGHT, Quantity::Direction},
    {WORLD_UP, Quantity::Direction},
    {WORLD_FORWARD, Quantity::Direction},
    {LOCAL_RIGHT, Quantity::Direction},
    {LOCAL_FORWARD, Quantity::Direction},
    {PARENT, Quantity::Item},
    {OWNER, Quantity::Item},
    {ITEM, Quantity::Item},
};

// One number of the node's first output ("X" of "Position"), measuring what that output does.
inline constexpr const char* COMPONENTS[] = {X, Y, Z, H, P, B};

// What the output `name` of a node whose first output is `firstOutput`
// measures; nullopt for a name not listed here.
constexpr std::optional<Quantity> outputQuantity(std::string_view name, std::string_view firstOutput) {
  for (const char* component : COMPONENTS) {
    if (name == component) return name == firstOutput ? std::nullopt : outputQuantity(firstOutput, firstOutput);
  }
  for (const Measured& entry : QUANTITIES) {
    if (name == entry.name) return entry.quantity;
  }
  return std::nullopt;
}

}  // namespace port
}  // namespace kv
