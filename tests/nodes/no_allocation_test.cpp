// Evaluation never allocates: every output of every node, through the host.
// The counting operator new below also serves the loaded module's allocations.
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "node_fixture.h"
#include "nodes/instance.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

// The plain and the nothrow forms, with their deletes, so that every pair the
// standard library mixes (and a sanitizer checks) stays malloc/free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size) {
  if (void* p = operator new(size, std::nothrow)) return p;
  throw std::bad_alloc();
}
// Not inlined, so that the compiler does not take free() after new for a mismatch.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace kv::test {
namespace {

TEST_F(NodeTest, EvaluationMakesNoAllocation) {
  const ItemId rig = scene.addObject("Rig");
  const ItemId arm = scene.addBone(rig, "Arm", rig);
  const ItemId hand = scene.addBone(rig, "Hand", arm);
  scene.setParam(hand, PARAM_ROTATION, {0.1, 0.2, 0.3});
  calls().setEnabled(false);  // the record itself allocates
  for (const char* server :
       {"KvI_ITEM", "KvI_ITEMP", "KvI_ITEMR", "KvI_ITEMS", "KvI_ITEMWP", "KvI_ITEMWR", "KvI_ITEMMW", "KvI_ITEMMX",
        "KvI_BONE", "KvI_BONEP", "KvI_BONER", "KvI_BONES", "KvI_BONEWP", "KvI_BONEWR", "KvI_BONEMW", "KvI_BONEMX"}) {
    auto n = node(server);
    selectBone(*n, hand);  // an item node takes the first value: the owner object
    setTime(*n, TM_REL, -0.5);
    n->connectScalar("Time", 0.25);
    n->newTime(1, 1.0);
    const std::size_t outputs = n->outputs().size();
    allocations = 0;
    counting = true;
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < outputs; ++i) n->evaluate(i);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0) << server;
  }
}

}  // namespace
}  // namespace kv::test
