// SPDX-License-Identifier: MIT
// Counts the heap allocations of the whole process, the loaded module's
// included, while armed. The replacements of the global operator new and
// delete in allocation_counter.cpp do the counting: a program that uses the
// counter links them (library kv_allocation_counter), and on Linux a module
// loaded into the program binds to them too. A Windows DLL keeps its own, so
// ModuleAllocations (host/module_allocations.h) counts what it takes from the C runtime.
#pragma once

#include <cstddef>

namespace kv::host {

class AllocationCounter {
 public:
  // Starts counting from zero.
  static void arm();
  static void disarm();
  // Allocations of any form since arm(), and those of the over-aligned forms
  // alone (which the module's instance records use).
  static std::size_t all();
  static std::size_t aligned();
  // Counts one allocation made elsewhere, as the module's C runtime calls.
  static void count(bool overAligned);
};

}  // namespace kv::host
