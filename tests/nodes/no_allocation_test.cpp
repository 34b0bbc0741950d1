// SPDX-License-Identifier: MIT
// Evaluation never allocates: every output of every node, through the host.
// The counter also sees the loaded module's allocations (on Windows through its imports).
#include <string>

#include "host/allocation_counter.h"
#include "host/module_allocations.h"
#include "node_fixture.h"
#include "nodes/instance.h"

namespace kv::test {
namespace {

TEST_F(NodeTest, EvaluationMakesNoAllocation) {
  const ItemId rig = scene.addObject("Rig");
  const ItemId arm = scene.addBone(rig, "Arm", rig);
  const ItemId hand = scene.addBone(rig, "Hand", arm);
  scene.setParam(hand, PARAM_ROTATION, {0.1, 0.2, 0.3});
  calls().setEnabled(false);  // the record itself allocates
  const host::ModuleAllocations moduleAllocations(module());
  for (const std::string& server : nodeServers()) {
    auto n = node(server);
    selectBone(*n, hand);  // an item node takes the first value: the owner object
    setTime(*n, TM_REL, -0.5);
    n->connectScalar("Time", 0.25);
    n->newTime(1, 1.0);
    const std::size_t outputs = n->outputs().size();
    host::AllocationCounter::arm();
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < outputs; ++i) n->evaluate(i);
    }
    host::AllocationCounter::disarm();
    EXPECT_EQ(host::AllocationCounter::all(), 0u) << server;
  }
}

}  // namespace
}  // namespace kv::test
