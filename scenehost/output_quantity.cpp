#include "scenehost/output_quantity.h"

#include <algorithm>
#include <initializer_list>

#include "contract/host_api.h"
#include "contract/port_names.h"

namespace kv::scenehost {
namespace {

bool among(std::string_view name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [name](const char* entry) { return name == entry; });
}

// The axis vectors are what is left.
Quantity vectorQuantity(std::string_view name) {
  if (among(name, {port::POSITION, port::WORLD_POS, port::PIVOT_POS, port::REST_POS})) return Quantity::Position;
  if (among(name, {port::ROTATION, port::WORLD_ROT, port::PIVOT_ROT, port::REST_ROT})) return Quantity::Rotation;
  if (among(name, {port::SCALE})) return Quantity::Scale;
  return Quantity::Direction;
}

}  // namespace

Quantity quantityOf(std::string_view output, int type, std::string_view vectorOutput) {
  switch (type) {
    case CT_INTEGER:
      return Quantity::Item;
    case CT_SCALAR:
      return vectorQuantity(vectorOutput);
    default:
      return vectorQuantity(output);
  }
}

}  // namespace kv::scenehost
