// SPDX-License-Identifier: MIT
#include "host/allocation_counter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace kv::host {
namespace {

// The validator's and the benchmarks' verdicts on allocations rest on these counts.
TEST(AllocationCounterTest, CountsOnlyWhileArmedTheOverAlignedFormsApart) {
  void* volatile before = ::operator new(8);
  AllocationCounter::arm();
  void* volatile plain = ::operator new(16);
  void* volatile aligned = ::operator new (64, std::align_val_t{64});
  double* volatile numbers = new double[4];
  AllocationCounter::disarm();
  void* volatile after = ::operator new(8);
  EXPECT_EQ(AllocationCounter::all(), 3u);
  EXPECT_EQ(AllocationCounter::aligned(), 1u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 64, 0u);
  ::operator delete(before);
  ::operator delete(plain);
  ::operator delete (aligned, std::align_val_t{64});
  ::operator delete(after);
  delete[] numbers;
}

}  // namespace
}  // namespace kv::host
