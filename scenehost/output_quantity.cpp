// SPDX-License-Identifier: MIT
#include "scenehost/output_quantity.h"

#include <optional>

#include "contract/host_api.h"

namespace kv::scenehost {

Quantity quantityOf(std::string_view output, int type, std::string_view vectorOutput) {
  if (const std::optional<Quantity> known = port::outputQuantity(output, vectorOutput)) return *known;
  // A port that the contract does not name, of a module other than this one.
  return type == CT_INTEGER ? Quantity::Item : Quantity::Direction;
}

}  // namespace kv::scenehost
