// SPDX-License-Identifier: MIT
// A node's saved state: three leaf blocks holding the chosen identifiers, the
// panel time and the time mode. List numbers are not stored; load recomputes them.
#include "nodes/persistence.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "items/host_services.h"
#include "nodes/item_refs.h"

namespace kv {
namespace {

static_assert(BLOCK_IDS == 0x49494453 && BLOCK_TIME == 0x4954494D && BLOCK_MODE == 0x494D4F44);

// Save begins each block with its entry; load hands find-block the whole table.
constexpr BlockIdent blockIdents[] = {{BLOCK_IDS, "ids"}, {BLOCK_TIME, "time"}, {BLOCK_MODE, "mode"}, {0, nullptr}};
constexpr const BlockIdent& IDS_BLOCK = blockIdents[0];
constexpr const BlockIdent& TIME_BLOCK = blockIdents[1];
constexpr const BlockIdent& MODE_BLOCK = blockIdents[2];

template <InstanceRecord R>
using StoredIds = std::array<ItemId, itemRefCount<R>>;

template <InstanceRecord R>
StoredIds<R> storedIds(R& r) noexcept {
  StoredIds<R> ids{};
  const auto refs = itemRefs(r);
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = refs[i].id;
  return ids;
}

// Takes only the values the host actually read, so a short block keeps the rest.
template <InstanceRecord R>
void readIds(const LoadState& state, StoredIds<R>& ids) noexcept {
  StoredIds<R> read{};
  const int count = state.readU4(state.data, read.data(), static_cast<int>(read.size()));
  std::copy_n(read.begin(), std::clamp(count, 0, static_cast<int>(read.size())), ids.begin());
}

}  // namespace

template <InstanceRecord R>
const char* saveInstance(Instance instance, const SaveState* state) noexcept {
  if (instance == nullptr || state == nullptr) return nullptr;
  R& r = *reinterpret_cast<R*>(instance);
  void* data = state->data;

  const StoredIds<R> ids = storedIds(r);
  state->beginBlock(data, &IDS_BLOCK, 1);
  state->writeU4(data, ids.data(), static_cast<int>(ids.size()));
  state->endBlock(data);

  state->beginBlock(data, &TIME_BLOCK, 1);
  state->writeDP(data, &r.panelTime, 1);
  state->endBlock(data);

  state->beginBlock(data, &MODE_BLOCK, 1);
  state->writeI4(data, &r.timeMode, 1);
  state->endBlock(data);
  return nullptr;
}

// Blocks come in any order and a repeated block is read again, so the last one
// wins. Without an "ids" block the record keeps the identifiers it held.
template <InstanceRecord R>
const char* loadInstance(Instance instance, const LoadState* state) noexcept {
  if (instance == nullptr || state == nullptr) return nullptr;
  R& r = *reinterpret_cast<R*>(instance);
  void* data = state->data;

  StoredIds<R> ids = storedIds(r);
  for (std::uint32_t block = state->findBlock(data, blockIdents); block != 0;
       block = state->findBlock(data, blockIdents)) {
    switch (block) {
      case BLOCK_IDS:
        readIds<R>(*state, ids);
        break;
      case BLOCK_TIME:
        state->readDP(data, &r.panelTime, 1);
        break;
      case BLOCK_MODE:
        state->readI4(data, &r.timeMode, 1);
        break;
      default:
        break;
    }
    state->endBlock(data);
  }

  const auto refs = itemRefs(r);
  for (std::size_t i = 0; i < ids.size(); ++i) refs[i].id = ids[i];
  if (const ItemInfoService* info = hostServices().itemInfo) renumberItems(info, r);
  return nullptr;
}

template const char* saveInstance<ItemInfoInstance>(Instance, const SaveState*) noexcept;
template const char* saveInstance<BoneInfoInstance>(Instance, const SaveState*) noexcept;
template const char* loadInstance<ItemInfoInstance>(Instance, const LoadState*) noexcept;
template const char* loadInstance<BoneInfoInstance>(Instance, const LoadState*) noexcept;

}  // namespace kv
