#include "scenehost/output_quantity.h"

#include <algorithm>
#include <initializer_list>

#include "contract/host_api.h"
#include "nodes/output_names.h"

namespace kv::scenehost {
namespace {

// Whether `name` is one of the entries of outputNames.
bool among(std::string_view name, std::initializer_list<int> entries) {
  return std::any_of(entries.begin(), entries.end(), [name](int entry) { return name == outputNames[entry]; });
}

// The axis vectors are what is left.
Quantity vectorQuantity(std::string_view name) {
  if (among(name, {0, 3, 11, 13})) return Quantity::Position;  // "Position", "W Pos", "pivotPos", "restPos"
  if (among(name, {1, 4, 12, 14})) return Quantity::Rotation;  // "Rotation", "W Rot", "pivotRot", "restRot"
  if (among(name, {2})) return Quantity::Scale;
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
