#include "nodes/evaluation_start.h"

#include "items/host_services.h"
#include "nodes/sampling.h"

namespace kv {

template <InstanceRecord R>
bool startEvaluation(const R* record, NodalAccess access, Sample& sample) noexcept {
  const ItemInfoService* info = hostServices.itemInfo;
  const NodeInputFuncs* inputs = hostServices.inputFuncs;
  // A failed later activation may have left the input functions null.
  if (!info || !inputs || !record) return false;
  const ItemId item = sampledItem(*inputs, access, record->itemInput, selectedItem(*record));
  if (item == 0) return false;
  sample = {info, item, 0.0};
  samplingTime(access, *record, sample.time);
  return true;
}

template bool startEvaluation<ItemInfoInstance>(const ItemInfoInstance*, NodalAccess, Sample&) noexcept;
template bool startEvaluation<BoneInfoInstance>(const BoneInfoInstance*, NodalAccess, Sample&) noexcept;

void deliverValue(ValueHandle value, const void* data) noexcept {
  if (const NodeOutputFuncs* outputs = hostServices.outputFuncs) outputs->setValue(value, data);
}

}  // namespace kv
