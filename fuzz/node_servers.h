// The server names of the sixteen nodes, by family and NodeKind.
#pragma once

#include <string>

namespace kv::fuzz {

inline constexpr unsigned NODE_KINDS = 8;

// The "NodeHandler" server of kind `kind` (0 Info .. 7 Mx) of the item or bone family.
inline std::string nodeServer(bool bone, unsigned kind) {
  constexpr const char* suffixes[NODE_KINDS] = {"", "P", "R", "S", "WP", "WR", "MW", "MX"};
  return std::string(bone ? "KvI_BONE" : "KvI_ITEM") + suffixes[kind % NODE_KINDS];
}

}  // namespace kv::fuzz
