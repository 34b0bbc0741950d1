// SPDX-License-Identifier: MIT
// The host's side of driving a node through the module's interface. What the
// module computes is tested with the module; here the point is what the host
// registers, passes and reads back.
#include "host/node.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kv::host {
namespace {

class HostNodeTest : public ::testing::Test {
 protected:
  Scene scene;
  ItemId cube = scene.addObject("Cube");
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};
};

TEST_F(HostNodeTest, ListsWhatCreateRegistered) {
  HostNode node(host, module, "KvI_ITEMP");
  EXPECT_NE(node.instance(), nullptr);
  const auto inputs = node.inputs();
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].name, "Time");
  EXPECT_EQ(inputs[0].type, CT_SCALAR);
  EXPECT_EQ(inputs[1].name, "Item");
  EXPECT_EQ(inputs[1].type, CT_INTEGER);
  std::vector<std::string> names;
  std::vector<int> types;
  for (const PortInfo& output : node.outputs()) {
    names.push_back(output.name);
    types.push_back(output.type);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Position", "X", "Y", "Z"}));
  EXPECT_EQ(types, (std::vector<int>{CT_VECTOR, CT_SCALAR, CT_SCALAR, CT_SCALAR}));
  EXPECT_EQ(node.ports().colors.size(), 1u);
}

TEST_F(HostNodeTest, EvaluatesThroughConnectedInputsAndTheValueHandle) {
  scene.setParamKeys(cube, PARAM_POSITION, {{0.0, {0.0, 0.0, 0.0}}, {2.0, {2.0, -4.0, 8.0}}});
  HostNode node(host, module, "KvI_ITEMP");
  node.connectInteger("Item", static_cast<std::int32_t>(cube));
  EXPECT_EQ(node.newTime(15, 0.5), nullptr);
  EXPECT_EQ(node.context().frame, 15);

  host.calls().clear();
  const OutputValue position = node.evaluate("Position");
  EXPECT_EQ(position.deliveries, 1);
  EXPECT_EQ(position.vector, (std::array<double, 3>{0.5, -1.0, 2.0}));
  EXPECT_TRUE(host.calls().contains("itemInfo.param 10000001 1 0.5"));
  EXPECT_TRUE(host.calls().contains("output.setValue Position 0.5 -1 2"));
  EXPECT_EQ(node.evaluate(3).scalar, 2.0);  // "Z"

  // A handle that is not the node's: the value has no output and stays zero.
  int foreign = 0;
  const OutputValue other = node.evaluateHandle(reinterpret_cast<OutputHandle>(&foreign), CT_VECTOR);
  EXPECT_EQ(other.output, nullptr);
  EXPECT_EQ(other.vector, (std::array<double, 3>{}));
  EXPECT_THROW(node.evaluate("W Pos"), std::out_of_range);
  EXPECT_THROW(node.connectScalar("Nope", 1.0), std::out_of_range);

  node.disconnect("Item");
  EXPECT_EQ(node.evaluate("Position").vector, (std::array<double, 3>{}));
}

TEST_F(HostNodeTest, FailedActivationReportsItsResult) {
  host.withhold("LW Item Info 4");
  try {
    HostNode node(host, module, "KvI_ITEM");
    FAIL() << "activation succeeded without item info";
  } catch (const NodeError& error) {
    EXPECT_EQ(error.result(), AFUNC_BADGLOBAL);
  }
  EXPECT_THROW(HostNode(host, module, "KvI_MISSING"), NodeError);
}

TEST_F(HostNodeTest, SaveGoesThroughTheHostTablesAndLoadsBack) {
  HostNode node(host, module, "KvI_ITEM");
  node.connectInteger("Item", 0);  // any connection change reaches the module without harm
  SavedState state;
  EXPECT_EQ(node.save(state), nullptr);
  ASSERT_EQ(state.blocks.size(), 3u);
  EXPECT_EQ(state.blocks[0].id, blockId("IIDS"));
  EXPECT_EQ(state.blocks[1].token, "time");
  EXPECT_EQ(state.blocks[2].values, std::vector<StoredValue>{std::int32_t{0}});

  SavedState changed;
  changed.add(blockId("IMOD"), "mode", {std::int32_t{1}})
      .add(blockId("ITIM"), "time", {2.5})
      .add(blockId("IIDS"), "ids", {std::uint32_t{cube}});
  EXPECT_EQ(node.load(changed), nullptr);
  SavedState again;
  node.save(again);
  SavedState expected;
  expected.add(blockId("IIDS"), "ids", {std::uint32_t{cube}})
      .add(blockId("ITIM"), "time", {2.5})
      .add(blockId("IMOD"), "mode", {std::int32_t{1}});
  EXPECT_EQ(again, expected);
  EXPECT_EQ(node.usedItems(), std::vector<ItemId>{cube});
  node.changeIds({{cube, 0}});
  EXPECT_TRUE(node.usedItems().empty());
}

TEST_F(HostNodeTest, PanelOpensOnTheHostPanel) {
  HostNode node(host, module, "KvI_BONE");
  HostPanel* panel = node.openPanel();
  EXPECT_EQ(node.lastPanelResult(), AFUNC_OK);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(node.lastPanelRecord().panel, panel->handle());
  EXPECT_EQ(node.lastPanelRecord().reserved08[0], nullptr);
  EXPECT_EQ(panel->instance(), node.instance());
  EXPECT_FALSE(panel->controls().empty());
  node.destroy();
  EXPECT_TRUE(panel->destroyed());
}

// Under ThreadSanitizer: evaluations of one node from several threads share
// nothing on the host side but the read-only scene and the call record.
TEST_F(HostNodeTest, ConcurrentEvaluationsDeliverIntoTheirOwnValues) {
  scene.setParamKeys(cube, PARAM_SCALING, {{0.0, {0.0, 0.0, 0.0}}, {8.0, {8.0, 16.0, 24.0}}});
  HostNode node(host, module, "KvI_ITEMS");
  node.connectInteger("Item", static_cast<std::int32_t>(cube));
  node.newTime(4, 4.0);
  constexpr int THREADS = 4;
  std::vector<int> wrong(THREADS, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        const std::size_t output = static_cast<std::size_t>((t + i) % 4);
        const OutputValue value = node.evaluate(output);
        const bool right = output == 0 ? value.vector == std::array<double, 3>{4.0, 8.0, 12.0}
                                       : value.scalar == 4.0 * static_cast<double>(output);
        if (!right || value.deliveries != 1) ++wrong[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(THREADS, 0));
}

}  // namespace
}  // namespace kv::host
