// SPDX-License-Identifier: MIT
// The single-value nodes of each family. They keep no cache: every call
// samples the host afresh and computes the whole quantity, then delivers the
// part that the requested output names.
#include "math/kernel.h"
#include "math/world_rotation.h"
#include "nodes/chains.h"
#include "nodes/evaluate.h"
#include "nodes/evaluation_start.h"
#include "nodes/fp_state.h"
#include "nodes/sampling.h"

namespace kv {
namespace {

Vec3 paramAt(const Sample& sample, int code) noexcept {
  Vec3 v{};
  sample.info->param(sample.item, code, sample.time, v.data());
  return v;
}

// Kinds with one vector output and three component outputs.
template <InstanceRecord R, class Quantity>
void evaluateVectorKind(const HostServices& host, Instance instance, NodalAccess access, OutputHandle output,
                        ValueHandle value, Quantity quantity) noexcept {
  Vec3 result{};
  const R* record = reinterpret_cast<const R*>(instance);
  Sample sample{};
  if (startEvaluation(host, record, access, sample)) {
    selectComponent(output, record->outputs, quantity(sample), result);
  }
  deliverValue(host, value, &result);
}

using Mat3Chain = void (*)(Mat3&, const ItemInfoService&, ItemId, double);

// Kinds with three vector outputs, the rows of one matrix.
template <InstanceRecord R>
void evaluateRowsKind(const HostServices& host, Instance instance, NodalAccess access, OutputHandle output,
                      ValueHandle value, Mat3Chain chain) noexcept {
  const Vec3 zeros{};
  const void* delivered = &zeros;
  Mat3 matrix{};
  const R* record = reinterpret_cast<const R*>(instance);
  Sample sample{};
  if (startEvaluation(host, record, access, sample)) {
    inDefaultFpState([&] { chain(matrix, *sample.info, sample.item, sample.time); });
    for (int row = 0; row < 3; ++row) {
      if (output == record->outputs[row]) {
        delivered = matrix.row(row);
        break;
      }
    }
  }
  deliverValue(host, value, delivered);
}

}  // namespace

template <InstanceRecord R>
void evaluatePosition(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateVectorKind<R>(hostServices(), instance, access, output, value,
                        [](const Sample& s) { return paramAt(s, PARAM_POSITION); });
}

template <InstanceRecord R>
void evaluateRotation(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateVectorKind<R>(hostServices(), instance, access, output, value, [](const Sample& s) {
    Vec3 rotation = paramAt(s, PARAM_ROTATION);
    inDefaultFpState([&] { roundAngles(rotation, false); });
    return rotation;
  });
}

template <InstanceRecord R>
void evaluateScale(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateVectorKind<R>(hostServices(), instance, access, output, value,
                        [](const Sample& s) { return paramAt(s, PARAM_SCALING); });
}

template <InstanceRecord R>
void evaluateWorldPosition(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateVectorKind<R>(hostServices(), instance, access, output, value, [](const Sample& s) {
    Mat4 world{};
    inDefaultFpState([&] { worldMatrixChain(world, *s.info, s.item, s.time); });
    return Vec3{world.at(3, 0), world.at(3, 1), world.at(3, 2)};
  });
}

template <InstanceRecord R>
void evaluateWorldRotation(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateVectorKind<R>(hostServices(), instance, access, output, value, [](const Sample& s) {
    Mat3 orientation{};
    Vec3 rotation{};
    inDefaultFpState([&] {
      orientationChain(orientation, *s.info, s.item, s.time);
      worldRotation(orientation, rotation);
    });
    return rotation;
  });
}

template <InstanceRecord R>
void evaluateAxesRows(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateRowsKind<R>(hostServices(), instance, access, output, value, axesChain);
}

template <InstanceRecord R>
void evaluateOrientationRows(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  evaluateRowsKind<R>(hostServices(), instance, access, output, value, orientationChain);
}

// NOLINTBEGIN(bugprone-macro-parentheses): `fn` names a template
#define KV_INSTANTIATE(fn)                                                                       \
  template void fn<ItemInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept; \
  template void fn<BoneInfoInstance>(Instance, NodalAccess, OutputHandle, ValueHandle) noexcept;
KV_INSTANTIATE(evaluatePosition)
KV_INSTANTIATE(evaluateRotation)
KV_INSTANTIATE(evaluateScale)
KV_INSTANTIATE(evaluateWorldPosition)
KV_INSTANTIATE(evaluateWorldRotation)
KV_INSTANTIATE(evaluateAxesRows)
KV_INSTANTIATE(evaluateOrientationRows)
#undef KV_INSTANTIATE
// NOLINTEND(bugprone-macro-parentheses)

}  // namespace kv
