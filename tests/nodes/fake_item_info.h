// SPDX-License-Identifier: MIT
// A stand-in for the host's item-info service: a table of items whose
// parameters are linear in time (value = base + rate × time), and a log of
// every parent and param call the walks make.
#pragma once

#include <array>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "contract/host_api.h"

namespace kv::test {

using Triple = std::array<double, 3>;

struct FakeItem {
  ItemId parent = 0;
  std::unordered_map<int, Triple> base;  // by param code; missing codes read as zeros
  std::unordered_map<int, Triple> rate;  // change per unit of time
};

struct HostCall {
  enum Op { PARENT, PARAM } op;
  ItemId item;
  int code = 0;       // PARAM only
  double time = 0.0;  // PARAM only

  bool operator==(const HostCall&) const = default;
};

inline HostCall parentCall(ItemId item) { return {HostCall::PARENT, item}; }
inline HostCall paramCall(ItemId item, int code, double time) { return {HostCall::PARAM, item, code, time}; }

// The service's functions carry no context, so one table serves them all;
// each test starts from an empty one through the constructor.
class FakeItemInfo {
 public:
  FakeItemInfo();
  ~FakeItemInfo();
  FakeItemInfo(const FakeItemInfo&) = delete;
  FakeItemInfo& operator=(const FakeItemInfo&) = delete;

  const ItemInfoService& service() const { return service_; }

  // Adds an item with scaling (1, 1, 1) and every other parameter zero.
  FakeItem& add(ItemId id, ItemId parent);
  void set(ItemId id, int code, Triple value) { items_.at(id).base[code] = value; }
  void setRate(ItemId id, int code, Triple rate) { items_.at(id).rate[code] = rate; }
  Triple value(ItemId id, int code, double time) const;
  ItemId parentOf(ItemId id) const { return items_.at(id).parent; }

  void setLogging(bool on) { logging_ = on; }
  const std::vector<HostCall>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  std::size_t paramCallsWithCode(int code) const;

 private:
  static ItemId parentThunk(ItemId item);
  static void paramThunk(ItemId item, int code, double time, double* out);

  ItemInfoService service_{};
  std::unordered_map<ItemId, FakeItem> items_;
  std::vector<HostCall> calls_;
  bool logging_ = true;
};

}  // namespace kv::test
