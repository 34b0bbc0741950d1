// Counts the heap allocations of the whole process, the loaded module's
// included, while armed. The program's replacements of the global operator
// new and delete (validate_allocation_counter.cpp) do the counting; a module
// loaded into the program binds to them.
#pragma once

#include <cstddef>

namespace kv::scenehost {

class AllocationCounter {
 public:
  // Starts counting from zero.
  static void arm();
  static void disarm();
  // Allocations of any form since arm(), and those of the over-aligned forms
  // alone (which the module's instance records use).
  static std::size_t all();
  static std::size_t aligned();
};

}  // namespace kv::scenehost
