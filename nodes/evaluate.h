// The evaluate functions of the sixteen nodes: one template per kind,
// instantiated for both families.
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"
#include "nodes/node_table.h"

namespace kv {

template <InstanceRecord R>
void evaluateInfo(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluatePosition(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateRotation(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateScale(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateWorldPosition(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateWorldRotation(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateAxesRows(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template <InstanceRecord R>
void evaluateOrientationRows(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;

// The evaluate function activation binds for a kind.
template <InstanceRecord R>
constexpr EvaluateFunc evaluateFor(NodeKind kind) {
  switch (kind) {
    case NK_INFO:
      return evaluateInfo<R>;
    case NK_POS:
      return evaluatePosition<R>;
    case NK_ROT:
      return evaluateRotation<R>;
    case NK_SCL:
      return evaluateScale<R>;
    case NK_WPOS:
      return evaluateWorldPosition<R>;
    case NK_WROT:
      return evaluateWorldRotation<R>;
    case NK_MXW:
      return evaluateAxesRows<R>;
    case NK_MX:
      return evaluateOrientationRows<R>;
  }
  return evaluateInfo<R>;
}

}  // namespace kv
