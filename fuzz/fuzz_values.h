// SPDX-License-Identifier: MIT
// Values the fuzz targets hand to the module: doubles and integers biased
// towards the edges (NaN, infinities, extremes, small numbers) and item
// identifiers biased towards the scene's own.
#pragma once

#include <cstdint>
#include <iterator>
#include <limits>
#include <vector>

#include "contract/host_api.h"
#include "fuzz/byte_reader.h"

namespace kv::fuzz {

inline double anyDouble(ByteReader& in) {
  constexpr double edges[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              0.0,
                              -0.0,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              std::numeric_limits<double>::denorm_min(),
                              1e300,
                              -1e-300,
                              0.5,
                              1.5707963267948966 /* a quarter turn */};
  const std::uint8_t pick = in.byte();
  if (pick < 64) return edges[pick % std::size(edges)];
  if (pick < 160) return static_cast<std::int8_t>(in.byte()) / 4.0;
  return in.raw<double>();
}

inline std::int32_t anyInt32(ByteReader& in) {
  constexpr std::int32_t edges[] = {0, 1, -1, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()};
  const std::uint8_t pick = in.byte();
  if (pick < 64) return edges[pick % std::size(edges)];
  if (pick < 192) return static_cast<std::int8_t>(in.byte());
  return in.raw<std::int32_t>();
}

// 0, one of `items`, or any 32-bit value.
inline ItemId anyItemId(ByteReader& in, const std::vector<ItemId>& items) {
  const std::uint8_t pick = in.byte();
  if (pick < 32 || items.empty()) return pick < 16 ? 0 : in.raw<ItemId>();
  if (pick < 224) return items[in.byte() % items.size()];
  return in.raw<ItemId>();
}

}  // namespace kv::fuzz
