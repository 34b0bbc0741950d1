// SPDX-License-Identifier: MIT
// What a node output measures, as the contract's port names tell it: a point
// in space, an orientation, scale factors, an axis direction, a distance or an
// item. A component output ("X", "H") measures what its node's first output does.
#pragma once

#include <string_view>

#include "contract/port_names.h"

namespace kv::scenehost {

using kv::Quantity;

// `vectorOutput` is the name of the node's first output, its vector.
Quantity quantityOf(std::string_view output, int type, std::string_view vectorOutput);

}  // namespace kv::scenehost
