// SPDX-License-Identifier: MIT
// Value types of the transform math.
//
// Points and directions are row vectors multiplied from the left: v' = v × M.
// A product A × B applies A first, then B. Matrices are row-major; rows 0, 1, 2
// are the images of the X (right), Y (up) and Z (forward) axes, and a Mat4
// keeps its translation in row 3.
#pragma once

#include <cstddef>

namespace kv {

// A position, three scale factors, or a rotation as heading, pitch, bank (radians).
struct alignas(16) Vec3 {
  double x, y, z;

  double* data() { return &x; }
  const double* data() const { return &x; }
};

struct alignas(16) Mat3 {
  double m[9];  // element (r, c) is m[3r + c]

  double& at(int r, int c) { return m[3 * r + c]; }
  double at(int r, int c) const { return m[3 * r + c]; }
  const double* row(int r) const { return &m[static_cast<std::ptrdiff_t>(3) * r]; }
};

struct alignas(16) Mat4 {
  double m[16];  // element (r, c) is m[4r + c]; affine, translation in row 3

  double& at(int r, int c) { return m[4 * r + c]; }
  double at(int r, int c) const { return m[4 * r + c]; }
  const double* row(int r) const { return &m[static_cast<std::ptrdiff_t>(4) * r]; }
};

}  // namespace kv
