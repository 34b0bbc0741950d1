// Counts the program's allocations while switched on. The replaced operator
// new lives in the benchmark binary, so it also serves the loaded module.
#pragma once

#include <cstdint>

namespace kv::bench {

// Counts allocations made while alive; not reentrant.
class AllocationCount {
 public:
  AllocationCount();
  ~AllocationCount();
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;

  std::int64_t count() const;
};

}  // namespace kv::bench
