// SPDX-License-Identifier: MIT
// The instance records of the two node families.
//
// Both records start with the cached chain results, laid out so that every
// matrix and `worldPos` starts on a 16-byte boundary (records are allocated
// 16-byte aligned). The host sees them only as opaque pointers.
#pragma once

#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "contract/host_api.h"
#include "math/vec_types.h"
#include "nodes/family.h"
#include "nodes/output_names.h"

namespace kv {

enum TimeMode : std::int32_t { TM_CUR = 0, TM_ABS = 1, TM_REL = 2 };

inline constexpr std::uint32_t CACHE_WPOS = 0x08;
inline constexpr std::uint32_t CACHE_WROT = 0x10;
inline constexpr std::uint32_t CACHE_ORIENT = 0x20;
inline constexpr std::uint32_t CACHE_AXES = 0x40;
inline constexpr std::uint32_t CACHE_RESTROT = 0x400;
inline constexpr std::uint32_t CACHE_MASK = 0x7FF;

inline constexpr int ITEM_INFO_OUTPUTS = static_cast<int>(itemInfoOutputs.size());
inline constexpr int BONE_INFO_OUTPUTS = static_cast<int>(boneInfoOutputs.size());

struct ItemInfoInstance {
  static constexpr Family family = Family::Item;
  static constexpr int infoOutputs = ITEM_INFO_OUTPUTS;

  Mat3 orientation;  // cache, CACHE_ORIENT
  double currentTime;
  Mat3 axes;  // cache, CACHE_AXES
  double panelTime;
  Vec3 worldPos;  // cache, CACHE_WPOS
  Vec3 worldRot;  // cache, CACHE_WROT
  PanelHandle panel;
  NodeHandle node;
  InputHandle timeInput;
  InputHandle itemInput;
  OutputHandle outputs[ITEM_INFO_OUTPUTS];
  ItemId item;
  ItemId listEnd;  // always 0: `item, listEnd` is the list use-items returns
  std::int32_t itemListNumber;
  std::int32_t timeMode;  // a TimeMode; a loaded scene may carry any value
  std::atomic<std::uint32_t> cacheFlags;
  std::atomic<std::uint32_t> cacheFilling;  // caches being filled by an evaluation right now
};

struct BoneInfoInstance {
  static constexpr Family family = Family::Bone;
  static constexpr int infoOutputs = BONE_INFO_OUTPUTS;

  Mat3 orientation;
  double currentTime;
  Mat3 axes;
  double panelTime;
  Vec3 worldPos;
  Vec3 worldRot;
  Vec3 restRot;  // cache, CACHE_RESTROT
  PanelHandle panel;
  NodeHandle node;
  InputHandle timeInput;
  InputHandle itemInput;
  OutputHandle outputs[BONE_INFO_OUTPUTS];
  ItemId object;   // the owner object chosen in the panel
  ItemId bone;     // the sampled bone
  ItemId listEnd;  // always 0: `bone, listEnd` is the list use-items returns
  std::int32_t objectNumber;
  std::int32_t boneNumber;
  std::int32_t timeMode;
  std::atomic<std::uint32_t> cacheFlags;
  std::atomic<std::uint32_t> cacheFilling;
};

// The item a node samples unless its Item input says otherwise.
inline const ItemId& selectedItem(const ItemInfoInstance& r) { return r.item; }
inline const ItemId& selectedItem(const BoneInfoInstance& r) { return r.bone; }

template <class Record>
concept InstanceRecord = std::is_same_v<Record, ItemInfoInstance> || std::is_same_v<Record, BoneInfoInstance>;

// A record is what the host holds as the node's Instance.
template <InstanceRecord R>
Instance instanceOf(R& record) noexcept {
  return reinterpret_cast<Instance>(&record);
}

// Field order and the 16-byte starts the cache stores rely on.
#define KV_ORDERED(R, a, b) static_assert(offsetof(R, a) < offsetof(R, b), #R ": " #a " before " #b)
#define KV_ALIGNED16(R, f) static_assert(offsetof(R, f) % 16 == 0, #R "::" #f " on 16 bytes")
KV_ORDERED(ItemInfoInstance, orientation, currentTime);
KV_ORDERED(ItemInfoInstance, currentTime, axes);
KV_ORDERED(ItemInfoInstance, axes, panelTime);
KV_ORDERED(ItemInfoInstance, panelTime, worldPos);
KV_ORDERED(ItemInfoInstance, worldRot, panel);
KV_ORDERED(ItemInfoInstance, itemInput, outputs);
KV_ORDERED(ItemInfoInstance, outputs, item);
KV_ORDERED(ItemInfoInstance, timeMode, cacheFlags);
static_assert(offsetof(ItemInfoInstance, listEnd) == offsetof(ItemInfoInstance, item) + sizeof(ItemId));
KV_ALIGNED16(ItemInfoInstance, orientation);
KV_ALIGNED16(ItemInfoInstance, axes);
KV_ALIGNED16(ItemInfoInstance, worldPos);
KV_ALIGNED16(ItemInfoInstance, worldRot);
KV_ORDERED(BoneInfoInstance, worldRot, restRot);
KV_ORDERED(BoneInfoInstance, restRot, panel);
KV_ORDERED(BoneInfoInstance, outputs, object);
KV_ORDERED(BoneInfoInstance, object, bone);
KV_ORDERED(BoneInfoInstance, timeMode, cacheFlags);
static_assert(offsetof(BoneInfoInstance, listEnd) == offsetof(BoneInfoInstance, bone) + sizeof(ItemId));
KV_ALIGNED16(BoneInfoInstance, orientation);
KV_ALIGNED16(BoneInfoInstance, axes);
KV_ALIGNED16(BoneInfoInstance, worldPos);
KV_ALIGNED16(BoneInfoInstance, restRot);
#undef KV_ORDERED
#undef KV_ALIGNED16
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

}  // namespace kv
