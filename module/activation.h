// SPDX-License-Identifier: MIT
// Node activation: acquires the host services and binds a node family's
// functions into the host's handler record.
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"
#include "nodes/node_table.h"

namespace kv {

// AFUNC_OK, or AFUNC_BADGLOBAL with `handler` untouched.
template <InstanceRecord R>
int familyActivate(GlobalLookup global, NodeHandler* handler, NodeKind kind) noexcept;

}  // namespace kv
