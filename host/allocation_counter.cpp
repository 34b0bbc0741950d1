// SPDX-License-Identifier: MIT
// The global operator new and delete of a program that counts allocations, in every form
// the standard library mixes, on malloc and free (aligned_alloc for the
// over-aligned forms) so that a sanitizer sees matching pairs, counting while
// the counter is armed.
#include "host/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace kv::host {
namespace {

std::atomic<bool> armed{false};
std::atomic<std::size_t> allCount{0};
std::atomic<std::size_t> alignedCount{0};

void* allocate(std::size_t size) noexcept { return std::malloc(size == 0 ? 1 : size); }

// The over-aligned forms have their own pair of functions on Windows.
void* allocateAligned(std::size_t size, std::size_t alignment) noexcept {
  if (size == 0) size = 1;
#ifdef _WIN32
  return _aligned_malloc(size, alignment);
#else
  // aligned_alloc wants a size that is a multiple of the alignment.
  return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
#endif
}

void releaseAligned(void* p) noexcept {
#ifdef _WIN32
  _aligned_free(p);
#else
  std::free(p);
#endif
}

}  // namespace

void AllocationCounter::arm() {
  allCount.store(0);
  alignedCount.store(0);
  armed.store(true);
}

void AllocationCounter::disarm() { armed.store(false); }
std::size_t AllocationCounter::all() { return allCount.load(); }
std::size_t AllocationCounter::aligned() { return alignedCount.load(); }

void AllocationCounter::count(bool overAligned) {
  if (!armed.load(std::memory_order_relaxed)) return;
  allCount.fetch_add(1, std::memory_order_relaxed);
  if (overAligned) alignedCount.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kv::host

using kv::host::allocate;
using kv::host::allocateAligned;
using kv::host::AllocationCounter;
using kv::host::releaseAligned;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  AllocationCounter::count(false);
  return allocate(size);
}
void* operator new(std::size_t size) {
  if (void* p = operator new(size, std::nothrow)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  AllocationCounter::count(true);
  return allocateAligned(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  if (void* p = operator new(size, alignment, std::nothrow)) return p;
  throw std::bad_alloc();
}
// Not inlined, so that the compiler does not take free() after new for a mismatch.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::align_val_t) noexcept { releaseAligned(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t, std::align_val_t) noexcept { releaseAligned(p); }
[[gnu::noinline]] void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { releaseAligned(p); }

// The array forms too: a sanitizer's runtime defines its own, which would
// otherwise serve a module's new[] without counting.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return operator new(size, alignment, std::nothrow);
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::align_val_t) noexcept { releaseAligned(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { releaseAligned(p); }
[[gnu::noinline]] void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  releaseAligned(p);
}
