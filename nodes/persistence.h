// SPDX-License-Identifier: MIT
// A node's saved state: leaf blocks "ids", "time" and "mode".
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"

namespace kv {

template <InstanceRecord R>
const char* saveInstance(Instance instance, const SaveState* state) noexcept;
template <InstanceRecord R>
const char* loadInstance(Instance instance, const LoadState* state) noexcept;

}  // namespace kv
