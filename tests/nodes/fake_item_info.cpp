// SPDX-License-Identifier: MIT
#include "fake_item_info.h"

#include <cassert>

namespace kv::test {

namespace {
FakeItemInfo* active = nullptr;
}

FakeItemInfo::FakeItemInfo() {
  assert(active == nullptr);
  active = this;
  service_.parent = &parentThunk;
  service_.param = &paramThunk;
}

FakeItemInfo::~FakeItemInfo() { active = nullptr; }

FakeItem& FakeItemInfo::add(ItemId id, ItemId parent) {
  FakeItem& item = items_[id];
  item.parent = parent;
  item.base[PARAM_SCALING] = {1.0, 1.0, 1.0};
  return item;
}

Triple FakeItemInfo::value(ItemId id, int code, double time) const {
  const FakeItem& item = items_.at(id);
  Triple v{};
  if (auto b = item.base.find(code); b != item.base.end()) v = b->second;
  if (auto r = item.rate.find(code); r != item.rate.end()) {
    for (int i = 0; i < 3; ++i) v[i] += r->second[i] * time;
  }
  return v;
}

std::size_t FakeItemInfo::paramCallsWithCode(int code) const {
  std::size_t n = 0;
  for (const HostCall& c : calls_) n += c.op == HostCall::PARAM && c.code == code;
  return n;
}

ItemId FakeItemInfo::parentThunk(ItemId item) {
  if (active->logging_) active->calls_.push_back(parentCall(item));
  return active->items_.at(item).parent;
}

void FakeItemInfo::paramThunk(ItemId item, int code, double time, double* out) {
  if (active->logging_) active->calls_.push_back(paramCall(item, code, time));
  const Triple v = active->value(item, code, time);
  for (int i = 0; i < 3; ++i) out[i] = v[i];
}

}  // namespace kv::test
