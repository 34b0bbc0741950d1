// SPDX-License-Identifier: MIT
// Create when memory runs out: null, "err", and no call to the host. The
// module's create is called directly here so that this test's replacement of
// the aligned allocation function reaches it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "host/host.h"
#include "items/host_services.h"
#include "nodes/lifecycle.h"
#include "nodes/node_table.h"

namespace {
bool failAlignedAllocation = false;
}

// Windows has a pair of functions of its own for aligned memory.
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  if (failAlignedAllocation) return nullptr;
#ifdef _WIN32
  return _aligned_malloc(size, static_cast<std::size_t>(alignment));
#else
  return std::aligned_alloc(static_cast<std::size_t>(alignment), (size + 15) / 16 * 16);
#endif
}
void operator delete(void* p, std::align_val_t) noexcept {
#ifdef _WIN32
  _aligned_free(p);
#else
  std::free(p);
#endif
}

namespace kv::host {
namespace {

template <class R>
void expectCreateFailsCleanly(Instance (*create)(void*, NodeHandle, const char**) noexcept) {
  Scene scene;
  ServiceHost host(scene);
  ASSERT_EQ(acquireHostServices(ServiceHost::lookup()), AFUNC_OK);
  NodePorts ports;
  host.calls().clear();
  const char* error = nullptr;
  failAlignedAllocation = true;
  Instance instance = create(reinterpret_cast<void*>(std::intptr_t{NK_POS}), ports.handle(), &error);
  failAlignedAllocation = false;
  EXPECT_EQ(instance, nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_STREQ(error, "err");
  EXPECT_EQ(host.calls().size(), 0u);
  EXPECT_TRUE(ports.inputs.empty());
  EXPECT_TRUE(ports.colors.empty());

  // And with memory, the same call succeeds and registers the node.
  error = nullptr;
  instance = create(reinterpret_cast<void*>(std::intptr_t{NK_POS}), ports.handle(), &error);
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(ports.inputs.size(), 2u);
  destroyInstance<R>(instance);
}

TEST(CreateFailure, BothFamiliesAndBothCreatesReportErr) {
  expectCreateFailsCleanly<ItemInfoInstance>(createInfo<ItemInfoInstance>);
  expectCreateFailsCleanly<ItemInfoInstance>(createSingle<ItemInfoInstance>);
  expectCreateFailsCleanly<BoneInfoInstance>(createInfo<BoneInfoInstance>);
  expectCreateFailsCleanly<BoneInfoInstance>(createSingle<BoneInfoInstance>);
}

}  // namespace
}  // namespace kv::host
