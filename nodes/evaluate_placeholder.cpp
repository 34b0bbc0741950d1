// Placeholder until evaluation lands: every output delivers zeros.
#include "module/host_services.h"
#include "nodes/evaluate.h"

namespace kv {
namespace {
void deliverZeros(ValueHandle value) noexcept {
  const Vec3 zeros{};
  if (hostServices.outputFuncs) hostServices.outputFuncs->setValue(value, zeros.data());
}
}  // namespace

#define KV_PLACEHOLDER(fn)                                                         \
  template <InstanceRecord R> void fn(Instance, NodalAccess, OutputHandle, ValueHandle value) noexcept { \
    deliverZeros(value);                                                           \
  }                                                                                \
  template void fn<ItemInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept; \
  template void fn<BoneInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
KV_PLACEHOLDER(evaluateInfo)
KV_PLACEHOLDER(evaluatePosition)
KV_PLACEHOLDER(evaluateRotation)
KV_PLACEHOLDER(evaluateScale)
KV_PLACEHOLDER(evaluateWorldPosition)
KV_PLACEHOLDER(evaluateWorldRotation)
KV_PLACEHOLDER(evaluateAxesRows)
KV_PLACEHOLDER(evaluateOrientationRows)
#undef KV_PLACEHOLDER

}  // namespace kv
