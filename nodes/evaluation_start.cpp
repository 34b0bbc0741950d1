// SPDX-License-Identifier: MIT
#include "nodes/evaluation_start.h"

#include "nodes/sampling.h"

namespace kv {

template <InstanceRecord R>
bool startEvaluation(const HostServices& host, const R* record, NodalAccess access, Sample& sample) noexcept {
  const ItemInfoService* info = host.itemInfo;
  const NodeInputFuncs* inputs = host.inputFuncs;
  // The input functions are there once an activation succeeded; item info may never be.
  if (!info || !inputs || !record) return false;
  const ItemId item = sampledItem(*inputs, access, record->itemInput, selectedItem(*record));
  if (item == 0) return false;
  sample = {info, host.boneInfo, item, 0.0};
  samplingTime(*inputs, access, *record, sample.time);
  return true;
}

template bool startEvaluation<ItemInfoInstance>(const HostServices&, const ItemInfoInstance*, NodalAccess,
                                                Sample&) noexcept;
template bool startEvaluation<BoneInfoInstance>(const HostServices&, const BoneInfoInstance*, NodalAccess,
                                                Sample&) noexcept;

void deliverValue(const HostServices& host, ValueHandle value, const void* data) noexcept {
  if (const NodeOutputFuncs* outputs = host.outputFuncs) outputs->setValue(value, data);
}

}  // namespace kv
