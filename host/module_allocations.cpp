// SPDX-License-Identifier: MIT
#include "host/module_allocations.h"

#ifdef _WIN32

#include <malloc.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "host/allocation_counter.h"

namespace kv::host {
namespace {

// The C runtime's allocating functions that the module imports (objdump -p
// lists them); each wrapper counts, then calls the runtime's own through the
// address the import entry held.
struct Original {
  void* (*malloc)(std::size_t) = nullptr;
  void* (*calloc)(std::size_t, std::size_t) = nullptr;
  void* (*realloc)(void*, std::size_t) = nullptr;
  void* (*alignedMalloc)(std::size_t, std::size_t) = nullptr;
  char* (*strdup)(const char*) = nullptr;
} original;

void* countedMalloc(std::size_t size) {
  AllocationCounter::count(false);
  return original.malloc(size);
}
void* countedCalloc(std::size_t count, std::size_t size) {
  AllocationCounter::count(false);
  return original.calloc(count, size);
}
void* countedRealloc(void* p, std::size_t size) {
  AllocationCounter::count(false);
  return original.realloc(p, size);
}
void* countedAlignedMalloc(std::size_t size, std::size_t alignment) {
  AllocationCounter::count(true);
  return original.alignedMalloc(size, alignment);
}
char* countedStrdup(const char* text) {
  AllocationCounter::count(false);
  return original.strdup(text);
}

struct Entry {
  const char* name;
  void* wrapper;
  void** original;
};

const Entry ENTRIES[] = {
    {"malloc", reinterpret_cast<void*>(countedMalloc), reinterpret_cast<void**>(&original.malloc)},
    {"calloc", reinterpret_cast<void*>(countedCalloc), reinterpret_cast<void**>(&original.calloc)},
    {"realloc", reinterpret_cast<void*>(countedRealloc), reinterpret_cast<void**>(&original.realloc)},
    {"_aligned_malloc", reinterpret_cast<void*>(countedAlignedMalloc),
     reinterpret_cast<void**>(&original.alignedMalloc)},
    {"_strdup", reinterpret_cast<void*>(countedStrdup), reinterpret_cast<void**>(&original.strdup)},
};

void writeEntry(void** slot, void* value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Visits the module's import entries of the C runtime's allocating functions: visit(slot, entry).
template <class Visit>
void forEachAllocationImport(void* library, Visit visit) {
  auto* base = static_cast<unsigned char*>(library);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), "msvcrt.dll") != 0) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      for (const Entry& entry : ENTRIES) {
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), entry.name) != 0) continue;
        visit(reinterpret_cast<void**>(&slots->u1.Function), entry);
      }
    }
  }
}

}  // namespace

ModuleAllocations::ModuleAllocations(const LoadedModule& module) : library_(module.library()) {
  forEachAllocationImport(library_, [](void** slot, const Entry& entry) {
    *entry.original = *slot;
    writeEntry(slot, entry.wrapper);
  });
}

ModuleAllocations::~ModuleAllocations() {
  forEachAllocationImport(library_, [](void** slot, const Entry& entry) { writeEntry(slot, *entry.original); });
}

}  // namespace kv::host

#else

namespace kv::host {

ModuleAllocations::ModuleAllocations(const LoadedModule& module) : library_(module.library()) {}
ModuleAllocations::~ModuleAllocations() = default;

}  // namespace kv::host

#endif
