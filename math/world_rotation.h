// SPDX-License-Identifier: MIT
// The world rotation of an item: the angles of its orientation with the scales
// taken out, so that scaling an item or its ancestors does not turn it.
#pragma once

#include "math/vec_types.h"

namespace kv {

// eulerFromMatrix of `orientation` with each row divided by its length; a row
// whose length is 0 or not finite is used as it is.
void worldRotation(const Mat3& orientation, Vec3& out);

}  // namespace kv
