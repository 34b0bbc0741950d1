// SPDX-License-Identifier: MIT
#include "math/world_rotation.h"

#include <cmath>

#include "math/kernel.h"

namespace kv {

void worldRotation(const Mat3& orientation, Vec3& out) {
  Mat3 unscaled{};
  for (int r = 0; r < 3; ++r) {
    const double* row = orientation.row(r);
    const double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
    const bool usable = length != 0.0 && std::isfinite(length);
    for (int c = 0; c < 3; ++c) unscaled.at(r, c) = usable ? row[c] / length : row[c];
  }
  eulerFromMatrix(unscaled, out);
}

}  // namespace kv
