// SPDX-License-Identifier: MIT
// Turning a double into an integer as a host would store it: truncated toward
// zero, with NaN and values outside the integer's range stored as 0 rather
// than left to the undefined conversion.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>

namespace kv::host {

template <std::integral T>
T truncatedOrZero(double value) {
  const double truncated = std::trunc(value);
  if (!(truncated >= static_cast<double>(std::numeric_limits<T>::min()) &&
        truncated <= static_cast<double>(std::numeric_limits<T>::max()))) {
    return 0;
  }
  return static_cast<T>(truncated);
}

}  // namespace kv::host
