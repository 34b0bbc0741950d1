// SPDX-License-Identifier: MIT
#include "nodes/sampling.h"

#include <cstdint>

#include "nodes/fp_state.h"

namespace kv {

template <InstanceRecord R>
void samplingTime(const NodeInputFuncs& inputs, NodalAccess access, const R& instance, double& time) noexcept {
  if (instance.timeMode == TM_CUR) {
    time = instance.currentTime;
    return;
  }
  double taken = instance.panelTime;
  if (inputs.isConnected(instance.timeInput)) {
    taken = 0.0;  // what the input delivers if the host writes nothing
    inputs.evaluate(instance.timeInput, access, &taken);
  }
  time = instance.timeMode == TM_REL ? sumInDefaultFpState(instance.currentTime, taken) : taken;
}

template void samplingTime<ItemInfoInstance>(const NodeInputFuncs&, NodalAccess, const ItemInfoInstance&,
                                             double&) noexcept;
template void samplingTime<BoneInfoInstance>(const NodeInputFuncs&, NodalAccess, const BoneInfoInstance&,
                                             double&) noexcept;

ItemId sampledItem(const NodeInputFuncs& inputs, NodalAccess access, InputHandle itemInput, ItemId selected) noexcept {
  if (!inputs.isConnected(itemInput)) return selected;
  std::int32_t delivered = 0;
  inputs.evaluate(itemInput, access, &delivered);
  return static_cast<ItemId>(delivered);
}

void selectComponent(OutputHandle output, const OutputHandle* outputs, const Vec3& source, Vec3& destination) noexcept {
  if (output == outputs[0]) {
    destination = source;
    return;
  }
  const double components[3] = {source.x, source.y, source.z};
  for (int k = 1; k < 4; ++k) {
    if (output == outputs[k]) {
      setScalar(destination, components[k - 1]);
      return;
    }
  }
}

}  // namespace kv
