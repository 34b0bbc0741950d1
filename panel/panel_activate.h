// SPDX-License-Identifier: MIT
// Activations of the "NodeInterface" servers: the property panel of a node.
#pragma once

#include "contract/host_api.h"

namespace kv {

int itemPanelActivate(int version, GlobalLookup global, void* local, void* serverData) noexcept;
int bonePanelActivate(int version, GlobalLookup global, void* local, void* serverData) noexcept;

}  // namespace kv
