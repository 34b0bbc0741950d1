// SPDX-License-Identifier: MIT
// The nodes' evaluate functions: one template per kind, instantiated for both
// families; the node table binds each to its kind.
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"

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

}  // namespace kv
