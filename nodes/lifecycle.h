// SPDX-License-Identifier: MIT
// Making, copying, describing and ending node instances; one template per
// step, instantiated for both families.
#pragma once

#include "contract/host_api.h"
#include "nodes/instance.h"

namespace kv {

template <InstanceRecord R>
Instance createInfo(void* priv, NodeHandle node, const char** error) noexcept;
template <InstanceRecord R>
Instance createSingle(void* priv, NodeHandle node, const char** error) noexcept;
template <InstanceRecord R>
void destroyInstance(Instance instance) noexcept;
template <InstanceRecord R>
const char* copyInstance(Instance to, Instance from) noexcept;
template <InstanceRecord R>
const ItemId* useItems(Instance instance) noexcept;
template <InstanceRecord R>
void changeIds(Instance instance, const ItemId* changes) noexcept;
template <InstanceRecord R>
const char* newTime(Instance instance, int frame, double time) noexcept;
template <InstanceRecord R>
int inputEvent(Instance instance, InputHandle input, int event) noexcept;

const char* describeLine(Instance instance) noexcept;  // "" for every node
const char* initInstance(Instance instance, int mode) noexcept;
void cleanupInstance(Instance instance) noexcept;

}  // namespace kv
