// SPDX-License-Identifier: MIT
// The steps every evaluate call starts and ends with.
#pragma once

#include "contract/host_api.h"
#include "items/host_services.h"
#include "nodes/instance.h"

namespace kv {

// What one evaluate call samples, and the item services it samples through.
struct Sample {
  const ItemInfoService* info;   // never null
  const BoneInfoService* bones;  // may be null
  ItemId item;
  double time;
};

// Checks for the item-info service, then reads the sampled item and, when it is
// not 0, the sampling time. False means the call delivers zeros.
template <InstanceRecord R>
bool startEvaluation(const HostServices& host, const R* record, NodalAccess access, Sample& sample) noexcept;

// Hands the value to the host; every evaluate call does this exactly once.
void deliverValue(const HostServices& host, ValueHandle value, const void* data) noexcept;

}  // namespace kv
