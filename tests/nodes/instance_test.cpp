// SPDX-License-Identifier: MIT
// Instances through the host's interface: registration of inputs and outputs,
// copy, item lists, identifier changes, time steps and destruction.
#include "nodes/instance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"

namespace kv::host {
namespace {

struct Port {
  std::string name;
  int type;
  bool operator==(const Port&) const = default;
};

std::vector<Port> portsOf(const std::vector<PortInfo>& infos) {
  std::vector<Port> ports;
  for (const PortInfo& p : infos) ports.push_back({p.name, p.type});
  return ports;
}

constexpr int S = CT_SCALAR, I = CT_INTEGER;

class Instances : public ::testing::Test {
 protected:
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};

  template <class R>
  static R& recordOf(HostNode& node) {
    return *reinterpret_cast<R*>(node.instance());
  }
};

// The outputs each node registers are README's, which the docs check compares.
TEST_F(Instances, EveryNodeRegistersItsInputsThenItsOutputs) {
  for (const ServerInfo& server : module.servers()) {
    if (server.className != "NodeHandler") continue;
    host.calls().clear();
    HostNode node(host, module, server.name);
    EXPECT_EQ(portsOf(node.inputs()), (std::vector<Port>{{"Time", S}, {"Item", I}})) << server.name;
    // Colour and option come first, then the inputs, then the outputs.
    std::vector<std::string> calls;
    for (const std::string& call : host.calls().entries()) {
      if (call.rfind("lookup ", 0) != 0) calls.push_back(call);
    }
    ASSERT_GE(calls.size(), 4u + node.outputs().size());
    EXPECT_EQ(calls[0], "node.setNodeColor 80 65 50");
    EXPECT_EQ(calls[1], "node.setNodeOption 2");
    EXPECT_EQ(calls[2], "input.create 2 Time");
    EXPECT_EQ(calls[3], "input.create 4 Item");
    EXPECT_EQ(host.calls().count("output.create"), node.outputs().size());
    EXPECT_EQ(calls[4].rfind("output.create", 0), 0u) << server.name;
  }
}

TEST_F(Instances, ANewRecordIsEmptyAndUnusedOutputSlotsStayNull) {
  HostNode node(host, module, "KvI_ITEMP");
  auto& r = recordOf<ItemInfoInstance>(node);
  EXPECT_EQ(r.item, 0u);
  EXPECT_EQ(r.timeMode, TM_CUR);
  EXPECT_EQ(r.panelTime, 0.0);
  EXPECT_EQ(r.cacheFlags.load(), 0u);
  EXPECT_EQ(r.panel, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&r) % 16, 0u);
  for (int i = 4; i < ITEM_INFO_OUTPUTS; ++i) EXPECT_EQ(r.outputs[i], nullptr) << i;
  EXPECT_TRUE(node.usedItems().empty());
  EXPECT_EQ(std::string(node.describeLine()), "");
}

TEST_F(Instances, CopyTakesTheSettingsAndLeavesCachesAndHandles) {
  HostNode source(host, module, "KvI_BONE"), target(host, module, "KvI_BONE");
  auto& src = recordOf<BoneInfoInstance>(source);
  auto& dst = recordOf<BoneInfoInstance>(target);
  src.object = 0x10000001;
  src.bone = 0x40010001;
  src.objectNumber = 1;
  src.boneNumber = 2;
  src.panelTime = -1.5;
  src.timeMode = TM_REL;
  src.currentTime = 9.0;
  src.cacheFlags = CACHE_WPOS;
  dst.cacheFlags = CACHE_AXES | 0x800;
  dst.currentTime = 3.0;
  dst.worldPos = {1, 2, 3};
  OutputHandle outputsBefore[BONE_INFO_OUTPUTS];
  std::memcpy(outputsBefore, dst.outputs, sizeof outputsBefore);

  EXPECT_EQ(target.copyFrom(source), nullptr);
  EXPECT_EQ(dst.object, 0x10000001u);
  EXPECT_EQ(dst.bone, 0x40010001u);
  EXPECT_EQ(dst.objectNumber, 1);
  EXPECT_EQ(dst.boneNumber, 2);
  EXPECT_EQ(dst.panelTime, -1.5);
  EXPECT_EQ(dst.timeMode, TM_REL);
  EXPECT_EQ(dst.cacheFlags.load(), CACHE_AXES | 0x800);
  EXPECT_EQ(dst.currentTime, 3.0);
  EXPECT_EQ(dst.worldPos.y, 2.0);
  EXPECT_EQ(std::memcmp(outputsBefore, dst.outputs, sizeof outputsBefore), 0);
  EXPECT_EQ(target.usedItems(), (std::vector<ItemId>{0x40010001}));
}

TEST_F(Instances, ItemCopyTakesTimeAndModeWithoutAnItem) {
  HostNode source(host, module, "KvI_ITEMWP"), target(host, module, "KvI_ITEMWP");
  auto& src = recordOf<ItemInfoInstance>(source);
  auto& dst = recordOf<ItemInfoInstance>(target);
  dst.item = 0x10000003;
  dst.itemListNumber = 3;
  src.panelTime = 2.5;
  src.timeMode = TM_ABS;
  target.copyFrom(source);
  EXPECT_EQ(dst.item, 0u);
  EXPECT_EQ(dst.itemListNumber, 0);
  EXPECT_EQ(dst.panelTime, 2.5);
  EXPECT_EQ(dst.timeMode, TM_ABS);
}

TEST_F(Instances, ChangeIdFollowsOwnerAndBoneEachOnItsOwn) {
  const ItemId a = scene.addObject("A"), b = scene.addObject("B");
  const ItemId a1 = scene.addBone(a, "a1"), a2 = scene.addBone(a, "a2");
  const ItemId b1 = scene.addBone(b, "b1"), b2 = scene.addBone(b, "b2");
  HostNode node(host, module, "KvI_BONE");
  auto& r = recordOf<BoneInfoInstance>(node);
  r.object = a;
  r.bone = a2;

  // Only the bone is listed: the owner stays although the new bone is B's.
  node.changeIds({{a2, b2}});
  EXPECT_EQ(r.object, a);
  EXPECT_EQ(r.objectNumber, 0);  // untouched
  EXPECT_EQ(r.bone, b2);
  EXPECT_EQ(r.boneNumber, 2);
  EXPECT_EQ(node.usedItems(), (std::vector<ItemId>{b2}));

  // Both listed: both replaced and renumbered; a reference named by no pair stays.
  node.changeIds({{a, b}, {b2, b1}, {a1, 0}});
  EXPECT_EQ(r.object, b);
  EXPECT_EQ(r.objectNumber, 2);
  EXPECT_EQ(r.bone, b1);
  EXPECT_EQ(r.boneNumber, 1);

  // A reference replaced by 0 becomes none with number 0; an empty list changes nothing.
  node.changeIds({{b1, 0}});
  EXPECT_EQ(r.bone, 0u);
  EXPECT_EQ(r.boneNumber, 0);
  EXPECT_TRUE(node.usedItems().empty());
  node.changeIds({});
  EXPECT_EQ(r.object, b);
  EXPECT_EQ(r.cacheFlags.load(), 0u);
}

TEST_F(Instances, ChangeIdOnAnItemNodeMatchesOldValuesOnly) {
  const ItemId a = scene.addObject("A"), b = scene.addObject("B"), c = scene.addObject("C");
  HostNode node(host, module, "KvI_ITEM");
  auto& r = recordOf<ItemInfoInstance>(node);
  r.item = c;
  r.itemListNumber = 3;
  node.changeIds({{a, b}, {b, c}});  // c only appears as a new value
  EXPECT_EQ(r.item, c);
  node.changeIds({{c, a}});
  EXPECT_EQ(r.item, a);
  EXPECT_EQ(r.itemListNumber, 1);
}

TEST_F(Instances, NewTimeChangesOnlyTheTimeAndTheLowCacheBits) {
  HostNode node(host, module, "KvI_BONE");
  auto& r = recordOf<BoneInfoInstance>(node);
  r.cacheFlags = 0xFFFFFFFF;
  r.bone = 0x40010001;
  r.panelTime = 4.0;
  r.timeMode = TM_ABS;
  EXPECT_EQ(node.newTime(-7, 1.25), nullptr);
  EXPECT_EQ(r.cacheFlags.load(), 0xFFFFF800u);
  EXPECT_EQ(r.currentTime, 1.25);
  EXPECT_EQ(r.bone, 0x40010001u);
  EXPECT_EQ(r.panelTime, 4.0);
  EXPECT_EQ(r.timeMode, TM_ABS);
}

TEST_F(Instances, InputEventsWithoutAPanelOnlyAnswerOne) {
  HostNode node(host, module, "KvI_ITEMR");
  host.calls().clear();
  node.connectScalar("Time", 2.0);
  node.disconnect("Time");
  node.connectInteger("Item", 0x10000001);
  EXPECT_EQ(host.calls().count("panel."), 0u);
  const NodeInput* time = node.ports().findInput("Time");
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->onEvent(node.instance(), nullptr, 0), 1);
}

TEST_F(Instances, DestroyingWithoutAPanelMakesNoPanelCall) {
  HostNode node(host, module, "KvI_ITEM");
  node.handler().instance->destroy(nullptr);  // a null record is ignored
  node.destroy();
  EXPECT_EQ(host.calls().count("panel."), 0u);
}

}  // namespace
}  // namespace kv::host
