// SPDX-License-Identifier: MIT
#include "host/saved_state.h"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/call_record.h"

namespace kv::host {
namespace {

template <typename T>
std::string shown(T value) {
  if constexpr (std::is_same_v<T, double>) {
    return formatDouble(value);
  } else {
    return std::to_string(value);
  }
}

template <typename... Arguments>
void record(CallRecord* calls, std::string_view operation, Arguments&&... arguments) {
  if (calls) calls->record(operation, std::forward<Arguments>(arguments)...);
}

}  // namespace

SavedState& SavedState::add(std::uint32_t id, std::string token, std::vector<StoredValue> values) {
  blocks.push_back({id, std::move(token), true, std::move(values)});
  return *this;
}

const StoredBlock* SavedState::find(std::uint32_t id) const {
  for (const StoredBlock& block : blocks) {
    if (block.id == id) return &block;
  }
  return nullptr;
}

StateWriter::StateWriter(SavedState& target, CallRecord* calls) : target_(target), calls_(calls) {
  table_.data = this;
  table_.writeI4 = [](void* data, const std::int32_t* values, int count) {
    write(data, values, count, "save.writeI4");
  };
  table_.writeU4 = [](void* data, const std::uint32_t* values, int count) {
    write(data, values, count, "save.writeU4");
  };
  table_.writeDP = [](void* data, const double* values, int count) { write(data, values, count, "save.writeDP"); };
  table_.beginBlock = beginBlock;
  table_.endBlock = endBlock;
}

template <typename T>
void StateWriter::write(void* data, const T* values, int count, const char* operation) {
  StateWriter& writer = self(data);
  if (!values || count < 0) count = 0;
  record(writer.calls_, operation, [&] {
    std::string shownValues;
    for (int i = 0; i < count; ++i) shownValues += (i == 0 ? "" : " ") + shown(values[i]);
    return shownValues;
  });
  if (!writer.inBlock_) return;
  auto& stored = writer.target_.blocks.back().values;
  for (int i = 0; i < count; ++i) stored.emplace_back(values[i]);
}

void StateWriter::beginBlock(void* data, const BlockIdent* block, int leaf) {
  StateWriter& writer = self(data);
  const std::uint32_t id = block ? block->id : 0;
  const std::string token = block && block->token ? block->token : "";
  record(writer.calls_, "save.beginBlock",
         [&] { return fourCharacters(id) + " " + token + " " + std::to_string(leaf); });
  writer.target_.blocks.push_back({id, token, leaf != 0, {}});
  writer.inBlock_ = true;
}

void StateWriter::endBlock(void* data) {
  StateWriter& writer = self(data);
  record(writer.calls_, "save.endBlock");
  writer.inBlock_ = false;
}

StateReader::StateReader(const SavedState& source, CallRecord* calls) : source_(source), calls_(calls) {
  table_.data = this;
  table_.readI4 = [](void* data, std::int32_t* values, int count) { return read(data, values, count, "load.readI4"); };
  table_.readU4 = [](void* data, std::uint32_t* values, int count) { return read(data, values, count, "load.readU4"); };
  table_.readDP = [](void* data, double* values, int count) { return read(data, values, count, "load.readDP"); };
  table_.findBlock = findBlock;
  table_.endBlock = endBlock;
}

template <typename T>
int StateReader::read(void* data, T* values, int count, const char* operation) {
  StateReader& reader = self(data);
  int done = 0;
  if (reader.entered_ && values) {
    const auto& stored = reader.entered_->values;
    for (; done < count && reader.nextValue_ < stored.size(); ++done) {
      values[done] = storedValueAs<T>(stored[reader.nextValue_++]);
    }
  }
  record(reader.calls_, operation, [&] { return std::to_string(count) + " " + std::to_string(done); });
  return done;
}

std::uint32_t StateReader::findBlock(void* data, const BlockIdent* blocks) {
  StateReader& reader = self(data);
  const auto listed = [&](std::uint32_t id) {
    for (const BlockIdent* entry = blocks; entry && entry->id != 0; ++entry) {
      if (entry->id == id) return true;
    }
    return false;
  };
  reader.entered_ = nullptr;
  while (reader.nextBlock_ < reader.source_.blocks.size()) {
    const StoredBlock& block = reader.source_.blocks[reader.nextBlock_++];
    if (block.id != 0 && listed(block.id)) {
      reader.entered_ = &block;
      reader.nextValue_ = 0;
      break;
    }
  }
  const std::uint32_t found = reader.entered_ ? reader.entered_->id : 0;
  record(reader.calls_, "load.findBlock", [&] { return found ? fourCharacters(found) : std::string("0"); });
  return found;
}

void StateReader::endBlock(void* data) {
  StateReader& reader = self(data);
  record(reader.calls_, "load.endBlock");
  reader.entered_ = nullptr;
}

bool sameState(const SavedState& a, const SavedState& b) {
  const auto sameValue = [](const StoredValue& x, const StoredValue& y) {
    if (x.index() != y.index()) return false;
    if (const double* d = std::get_if<double>(&x)) {
      return std::bit_cast<std::uint64_t>(*d) == std::bit_cast<std::uint64_t>(std::get<double>(y));
    }
    return x == y;
  };
  if (a.blocks.size() != b.blocks.size()) return false;
  for (std::size_t i = 0; i < a.blocks.size(); ++i) {
    const StoredBlock& x = a.blocks[i];
    const StoredBlock& y = b.blocks[i];
    if (x.id != y.id || x.token != y.token || x.leaf != y.leaf || x.values.size() != y.values.size()) return false;
    for (std::size_t v = 0; v < x.values.size(); ++v) {
      if (!sameValue(x.values[v], y.values[v])) return false;
    }
  }
  return true;
}

}  // namespace kv::host
