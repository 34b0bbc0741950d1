// SPDX-License-Identifier: MIT
// "Item Info" and "Bone Info": one output per evaluate call. The outputs that
// walk the item hierarchy are cached in the record, so that one time step walks
// each chain at most once however many outputs the host asks for. A cached
// value serves every later request of the step, whatever time or item that
// request samples.
//
// A renderer may evaluate one instance from several threads at once. Each cache
// is filled by exactly one of them: a thread claims the cache by setting its bit
// in `cacheFilling`, checks `cacheFlags` again, fills the field, publishes it
// with a release fetch_or on `cacheFlags` and drops its claim. A thread that
// sees the flag (acquire) reads the field; one that finds the cache claimed
// yields until the flag appears or the claim is dropped. Serving a cached value
// costs one acquire load. Claims never outlive an evaluation, so clearing
// `cacheFlags` (new-time, panel edits) is all a reset needs.
#include <cstdint>
#include <cstring>
#include <thread>

#include "items/item_numbering.h"
#include "math/kernel.h"
#include "math/world_rotation.h"
#include "nodes/chains.h"
#include "nodes/evaluate.h"
#include "nodes/evaluation_start.h"
#include "nodes/fp_state.h"
#include "nodes/output_names.h"

namespace kv {
namespace {

using enum InfoOutput;

template <InstanceRecord R>
int outputIndex(const R& record, OutputHandle output) noexcept {
  for (int i = 0; i < R::infoOutputs; ++i) {
    if (record.outputs[i] == output) return i;
  }
  return -1;
}

// Returns once the cache under `flag` holds its value for this time step,
// having run `fill` if this thread claimed it.
template <InstanceRecord R, class Fill>
void ensureCached(R& record, std::uint32_t flag, Fill fill) noexcept {
  if (record.cacheFlags.load(std::memory_order_acquire) & flag) return;
  for (;;) {
    if (!(record.cacheFilling.fetch_or(flag, std::memory_order_acquire) & flag)) {
      // Another thread may have published and dropped its claim since the test above.
      if (!(record.cacheFlags.load(std::memory_order_acquire) & flag)) {
        fill();
        record.cacheFlags.fetch_or(flag, std::memory_order_release);
      }
      record.cacheFilling.fetch_and(~flag, std::memory_order_release);
      return;
    }
    while ((record.cacheFilling.load(std::memory_order_acquire) & flag) &&
           !(record.cacheFlags.load(std::memory_order_acquire) & flag)) {
      std::this_thread::yield();
    }
    if (record.cacheFlags.load(std::memory_order_acquire) & flag) return;
  }
}

template <InstanceRecord R>
const Mat3& cachedOrientation(R& record, const Sample& s) noexcept {
  ensureCached(record, CACHE_ORIENT,
               [&] { inDefaultFpState([&] { orientationChain(record.orientation, *s.info, s.item, s.time); }); });
  return record.orientation;
}

template <InstanceRecord R>
const Mat3& cachedAxes(R& record, const Sample& s) noexcept {
  ensureCached(record, CACHE_AXES, [&] { inDefaultFpState([&] { axesChain(record.axes, *s.info, s.item, s.time); }); });
  return record.axes;
}

template <InstanceRecord R>
const Vec3& cachedWorldPos(R& record, const Sample& s) noexcept {
  ensureCached(record, CACHE_WPOS, [&] {
    Mat4 world{};
    inDefaultFpState([&] { worldMatrixChain(world, *s.info, s.item, s.time); });
    record.worldPos = {world.at(3, 0), world.at(3, 1), world.at(3, 2)};
  });
  return record.worldPos;
}

// Shares `orientation` with the axis rows: whichever comes first walks the chain.
template <InstanceRecord R>
const Vec3& cachedWorldRot(R& record, const Sample& s) noexcept {
  ensureCached(record, CACHE_WROT, [&] {
    const Mat3& orientation = cachedOrientation(record, s);
    inDefaultFpState([&] { worldRotation(orientation, record.worldRot); });
  });
  return record.worldRot;
}

// Bone records only; the caller checks that the item is a bone.
const Vec3& cachedRestRot(BoneInfoInstance& record, const BoneInfoService& bones, ItemId bone) noexcept {
  ensureCached(record, CACHE_RESTROT, [&] {
    bones.restParam(bone, PARAM_ROTATION, record.restRot.data());
    inDefaultFpState([&] { roundAngles(record.restRot, true); });
  });
  return record.restRot;
}

void writeInteger(Vec3& buffer, std::uint32_t value) noexcept { std::memcpy(buffer.data(), &value, sizeof value); }

// Produces one output; returns what to deliver: `buffer` (zero-filled on entry)
// or a cache field of the record.
template <InstanceRecord R>
const void* produce(R& record, InfoOutput role, const Sample& s, Vec3& buffer) noexcept {
  const ItemInfoService& info = *s.info;
  switch (role) {
    case Position:
      info.param(s.item, PARAM_POSITION, s.time, buffer.data());
      return &buffer;
    case Rotation:
      info.param(s.item, PARAM_ROTATION, s.time, buffer.data());
      inDefaultFpState([&] { roundAngles(buffer, false); });
      return &buffer;
    case Scale:
      info.param(s.item, PARAM_SCALING, s.time, buffer.data());
      return &buffer;
    case WorldPos:
      return &cachedWorldPos(record, s);
    case WorldRot:
      return &cachedWorldRot(record, s);
    case Right:
    case Up:
    case Forward:
      return cachedOrientation(record, s).row(static_cast<int>(role) - static_cast<int>(Right));
    case WorldRight:
    case WorldUp:
    case WorldForward:
      return cachedAxes(record, s).row(static_cast<int>(role) - static_cast<int>(WorldRight));
    case PivotPos:
      info.param(s.item, PARAM_PIVOT, 0.0, buffer.data());
      return &buffer;
    case PivotRot:
      info.param(s.item, PARAM_PIVOT_ROTATION, 0.0, buffer.data());
      inDefaultFpState([&] { roundAngles(buffer, true); });
      return &buffer;
    case RestPos:
      if (s.bones != nullptr && isBone(s.item)) s.bones->restParam(s.item, PARAM_POSITION, buffer.data());
      return &buffer;
    case RestRot:
      if constexpr (R::family == Family::Bone) {
        if (s.bones != nullptr && isBone(s.item)) return &cachedRestRot(record, *s.bones, s.item);
      }
      return &buffer;
    case Parent:
      writeInteger(buffer, info.parent(s.item));
      return &buffer;
    case Owner:
      writeInteger(buffer, isBone(s.item) ? boneOwner(s.item) : 0);
      return &buffer;
    case Item:
      writeInteger(buffer, s.item);
      return &buffer;
  }
  return &buffer;
}

}  // namespace

template <InstanceRecord R>
void evaluateInfo(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  Vec3 buffer{};
  const void* delivered = &buffer;
  const HostServices& host = hostServices();
  R* record = reinterpret_cast<R*>(instance);
  Sample sample{};
  if (startEvaluation<R>(host, record, access, sample)) {
    if (const int index = outputIndex(*record, output); index >= 0) {
      delivered = produce(*record, infoOutputsOf<R::family>()[index].role, sample, buffer);
    }
  }
  deliverValue(host, value, delivered);
}

template void evaluateInfo<ItemInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
template void evaluateInfo<BoneInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;

}  // namespace kv
