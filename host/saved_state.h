// SPDX-License-Identifier: MIT
// A node's saved state as the host keeps it: a list of blocks, each with its ID,
// token, leaf flag and values tagged by kind. `StateWriter` and `StateReader`
// serve the save-state and load-state tables over such a list.
//
// Saving appends one block per beginBlock (blocks are stored flat; values
// written outside any block are dropped). Loading walks the list once:
// findBlock returns the ID of the next block whose ID the passed table lists,
// skipping the others, and enters it; reads take the entered block's next
// values, converting between kinds (i4 and u4 by their bits, doubles by value),
// and may be short: they return how many values they read and leave the rest
// of the destination untouched. endBlock leaves the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "contract/host_api.h"
#include "host/number_conversion.h"

namespace kv::host {

class CallRecord;

// One stored value: an i4 (int32), a u4 (uint32) or a dp (double).
using StoredValue = std::variant<std::int32_t, std::uint32_t, double>;

// A stored value read as T: integers of either sign by their bits, doubles by
// value (into an integer truncated, or 0 when it does not fit).
template <typename T>
T storedValueAs(const StoredValue& value) {
  return std::visit(
      [](auto held) {
        if constexpr (std::is_floating_point_v<decltype(held)> && std::is_integral_v<T>) {
          return truncatedOrZero<T>(held);
        } else {
          return static_cast<T>(held);
        }
      },
      value);
}

struct StoredBlock {
  std::uint32_t id = 0;
  std::string token;
  bool leaf = true;
  std::vector<StoredValue> values;

  bool operator==(const StoredBlock&) const = default;
};

struct SavedState {
  std::vector<StoredBlock> blocks;

  // Appends a leaf block; returns *this for chaining.
  SavedState& add(std::uint32_t id, std::string token, std::vector<StoredValue> values);
  const StoredBlock* find(std::uint32_t id) const;  // the first with `id`, or null

  bool operator==(const SavedState&) const = default;
};

// Equal block for block, doubles bit for bit: unlike ==, a NaN equals itself.
bool sameState(const SavedState& a, const SavedState& b);

// The save-state table over a SavedState that it appends to.
class StateWriter {
 public:
  explicit StateWriter(SavedState& target, CallRecord* calls = nullptr);
  StateWriter(const StateWriter&) = delete;
  StateWriter& operator=(const StateWriter&) = delete;

  const SaveState* table() const { return &table_; }

 private:
  static StateWriter& self(void* data) { return *static_cast<StateWriter*>(data); }
  template <typename T>
  static void write(void* data, const T* values, int count, const char* operation);
  static void beginBlock(void* data, const BlockIdent* block, int leaf);
  static void endBlock(void* data);

  SaveState table_{};
  SavedState& target_;
  CallRecord* calls_;
  bool inBlock_ = false;
};

// The load-state table over a SavedState that it reads.
class StateReader {
 public:
  explicit StateReader(const SavedState& source, CallRecord* calls = nullptr);
  StateReader(const StateReader&) = delete;
  StateReader& operator=(const StateReader&) = delete;

  const LoadState* table() const { return &table_; }

 private:
  static StateReader& self(void* data) { return *static_cast<StateReader*>(data); }
  template <typename T>
  static int read(void* data, T* values, int count, const char* operation);
  static std::uint32_t findBlock(void* data, const BlockIdent* blocks);
  static void endBlock(void* data);

  LoadState table_{};
  const SavedState& source_;
  CallRecord* calls_;
  std::size_t nextBlock_ = 0;             // where findBlock searches from
  const StoredBlock* entered_ = nullptr;  // null outside a block
  std::size_t nextValue_ = 0;             // within the entered block
};

}  // namespace kv::host
