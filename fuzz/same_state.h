// Comparing saved states value for value, doubles bit for bit so that a NaN
// compares equal to itself.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "host/saved_state.h"

namespace kv::fuzz {

inline bool sameStoredValue(const host::StoredValue& x, const host::StoredValue& y) {
  if (x.index() != y.index()) return false;
  if (const double* d = std::get_if<double>(&x)) {
    return std::bit_cast<std::uint64_t>(*d) == std::bit_cast<std::uint64_t>(std::get<double>(y));
  }
  return x == y;
}

inline bool sameState(const host::SavedState& a, const host::SavedState& b) {
  if (a.blocks.size() != b.blocks.size()) return false;
  for (std::size_t i = 0; i < a.blocks.size(); ++i) {
    const host::StoredBlock& x = a.blocks[i];
    const host::StoredBlock& y = b.blocks[i];
    if (x.id != y.id || x.token != y.token || x.leaf != y.leaf || x.values.size() != y.values.size()) return false;
    for (std::size_t v = 0; v < x.values.size(); ++v) {
      if (!sameStoredValue(x.values[v], y.values[v])) return false;
    }
  }
  return true;
}

}  // namespace kv::fuzz
