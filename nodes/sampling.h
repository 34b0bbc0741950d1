// SPDX-License-Identifier: MIT
// The rules every node shares: at which time and which item it samples, and
// which part of a vector a vector-plus-components output delivers.
#pragma once

#include "contract/host_api.h"
#include "math/vec_types.h"
#include "nodes/instance.h"

namespace kv {

// Writes the instance's current time for TM_CUR; otherwise the Time input if
// connected, else the panel time, plus the current time for TM_REL. Any mode
// value other than TM_CUR and TM_REL counts as TM_ABS. Not a return value: on
// 32-bit x86 that would pass through the x87 registers in the caller's
// precision, which qemu, unlike the processor, rounds loads to.
template <InstanceRecord R>
void samplingTime(const NodeInputFuncs& inputs, NodalAccess access, const R& instance, double& time) noexcept;

// The Item input's value when something is connected (0 included), else `selected`.
ItemId sampledItem(const NodeInputFuncs& inputs, NodalAccess access, InputHandle itemInput, ItemId selected) noexcept;

// A scalar output's value as the host takes it: the first double of the
// zero-filled result buffer that the evaluate call delivers.
inline void setScalar(Vec3& result, double value) noexcept { result.x = value; }

// Matches `output` against the first four of `outputs` (vector, then its three
// components) and writes that part of `source` into `destination`: all three
// values for the vector, one into the first value for a component, nothing for
// any other handle.
void selectComponent(OutputHandle output, const OutputHandle* outputs, const Vec3& source, Vec3& destination) noexcept;

}  // namespace kv
