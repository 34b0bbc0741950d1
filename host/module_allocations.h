// SPDX-License-Identifier: MIT
// While alive, the allocations the loaded module makes count in the
// AllocationCounter. A module on Linux binds to the program's counting
// operator new already. A Windows DLL has its own operator new on the C
// runtime, so its import table's entries for the runtime's allocation
// functions are pointed at counting wrappers, and restored on destruction.
#pragma once

#include "host/module_loader.h"

namespace kv::host {

class ModuleAllocations {
 public:
  explicit ModuleAllocations(const LoadedModule& module);
  ~ModuleAllocations();
  ModuleAllocations(const ModuleAllocations&) = delete;
  ModuleAllocations& operator=(const ModuleAllocations&) = delete;

 private:
  [[maybe_unused]] void* library_;  // the module's image, whose import table is patched
};

}  // namespace kv::host
