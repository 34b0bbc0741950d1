// The names of the nodes' inputs and outputs as the node editor shows them.
// They are what a host sees of a node's ports, so the module registers them
// and a host recognises them (plot units, the item input) from here alone.
#pragma once

namespace kv::port {

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
inline constexpr const char* LOCAL_UP = "Up";
inline constexpr const char* LOCAL_FORWARD = "Fwd";

}  // namespace kv::port
