// SPDX-License-Identifier: MIT
#include "nodes/chains.h"

#include <cstddef>

#include "items/item_numbering.h"
#include "items/link_loop.h"
#include "math/kernel.h"

namespace kv {

namespace {

Vec3 readParam(const ItemInfoService& info, ItemId item, int code, double time) {
  Vec3 v{};
  info.param(item, code, time, v.data());
  return v;
}

void applyMat3(Mat3& acc, const Mat3& factor) { mulMat3(acc, acc, factor); }

// Reads the item's rotation and rounds it; false (no factor) when every
// component is below TINY.
bool rotationTriple(const ItemInfoService& info, ItemId item, double time, Vec3& r) {
  r = readParam(info, item, PARAM_ROTATION, time);
  if (!anyNotTiny(r)) return false;
  roundAngles(r, false);
  return true;
}

// Reads the pivot rotation and rounds it; false (no factor) only when it is
// exactly zero.
bool pivotRotationTriple(const ItemInfoService& info, ItemId item, double time, Vec3& q) {
  q = readParam(info, item, PARAM_PIVOT_ROTATION, time);
  if (!anyNonZero(q)) return false;
  roundAngles(q, true);
  return true;
}

// One item's inverted factors: PR⁻¹, R⁻¹, then S⁻¹ (cameras have no scale).
void axesStep(Mat3& acc, const ItemInfoService& info, ItemId item, double time) {
  Vec3 v{};
  Mat3 factor{};
  if (pivotRotationTriple(info, item, 0.0, v)) {
    negateVec3(v);
    reverseRotationMat3(factor, v);
    applyMat3(acc, factor);
  }
  if (rotationTriple(info, item, time, v)) {
    negateVec3(v);
    reverseRotationMat3(factor, v);
    applyMat3(acc, factor);
  }
  if (isCamera(item)) return;
  v = readParam(info, item, PARAM_SCALING, time);
  reciprocalScale(v);
  scaleMat3(factor, v);
  applyMat3(acc, factor);
}

// Ancestor ids kept on the stack by axesChain; deeper chains are walked again.
constexpr std::size_t AXES_CHUNK = 64;

}  // namespace

void orientationChain(Mat3& out, const ItemInfoService& info, ItemId item, double time) {
  identityMat3(out);
  Vec3 v{};
  Mat3 factor{};
  LinkLoopWatch loop(item);
  for (; item != 0; item = loop.follow(info.parent(item))) {
    if (!isCamera(item)) {
      scaleMat3(factor, readParam(info, item, PARAM_SCALING, time));
      applyMat3(out, factor);
    }
    if (rotationTriple(info, item, time, v)) {
      rotationMat3(factor, v);
      applyMat3(out, factor);
    }
    if (pivotRotationTriple(info, item, time, v)) {
      rotationMat3(factor, v);
      applyMat3(out, factor);
    }
  }
}

// The factors are composed from the root down, so the chain of ids is needed
// top first. Host calls: parent from the item until it returns 0 (counting the
// depth and keeping the nearest AXES_CHUNK ids); then, for each item from the
// root down, param 12 at 0.0, param 5 and param 6 at the sampling time. A chain
// deeper than AXES_CHUNK is handled in chunks of AXES_CHUNK levels from the
// top: before each chunk the ids are collected again by walking parent from
// the item, so a hierarchy of any depth needs neither recursion nor memory.
// A looping chain counts the levels walked until the loop is seen.
void axesChain(Mat3& out, const ItemInfoService& info, ItemId item, double time) {
  identityMat3(out);
  ItemId ids[AXES_CHUNK];
  std::size_t depth = 0;
  LinkLoopWatch loop(item);
  for (ItemId id = item; id != 0; id = loop.follow(info.parent(id))) {
    if (depth < AXES_CHUNK) ids[depth] = id;
    ++depth;
  }
  // Levels count from the item (0) up; [low, top) is the chunk in hand.
  for (std::size_t top = depth; top > 0;) {
    const std::size_t low = top > AXES_CHUNK ? top - AXES_CHUNK : 0;
    if (depth > AXES_CHUNK) {
      ItemId id = item;
      for (std::size_t level = 0; level < low; ++level) id = info.parent(id);
      ids[0] = id;
      for (std::size_t level = low + 1; level < top; ++level) ids[level - low] = id = info.parent(id);
    }
    for (std::size_t level = top; level-- > low;) axesStep(out, info, ids[level - low], time);
    top = low;
  }
}

void worldStep(Mat4& acc, const ItemInfoService& info, ItemId item, double time) {
  Vec3 v{};
  Mat4 factor{};
  if (!isCamera(item)) {
    scaleMat4(factor, readParam(info, item, PARAM_SCALING, time));
    mulMat4(acc, acc, factor);
  }
  if (rotationTriple(info, item, time, v)) {
    rotationMat4(factor, v);
    mulMat4(acc, acc, factor);
  }
  if (pivotRotationTriple(info, item, 0.0, v)) {
    rotationMat4(factor, v);
    mulMat4(acc, acc, factor);
  }
  v = readParam(info, item, PARAM_POSITION, time);
  for (int j = 0; j < 3; ++j) acc.at(3, j) += v.data()[j];
}

void worldMatrixChain(Mat4& out, const ItemInfoService& info, ItemId item, double time) {
  identityMat4(out);
  LinkLoopWatch loop(item);
  worldStep(out, info, item, time);
  while ((item = loop.follow(info.parent(item))) != 0) {
    const Vec3 pivot = readParam(info, item, PARAM_PIVOT, 0.0);
    for (int j = 0; j < 3; ++j) out.at(3, j) -= pivot.data()[j];
    worldStep(out, info, item, time);
  }
}

}  // namespace kv
