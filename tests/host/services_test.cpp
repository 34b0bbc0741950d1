// SPDX-License-Identifier: MIT
#include "host/services.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/node_ports.h"

namespace kv::host {
namespace {

std::uint32_t valueOf(void* service) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(service)); }

class ServicesTest : public ::testing::Test {
 protected:
  void* lookup(const char* name) { return ServiceHost::lookup()(name, 0); }

  Scene scene;
  ItemId cube = scene.addObject("Cube");
  ServiceHost host{scene};
};

TEST_F(ServicesTest, OnlyOneHostAtATime) {
  EXPECT_EQ(ServiceHost::current(), &host);
  Scene other;
  EXPECT_THROW(ServiceHost second(other), std::logic_error);
  EXPECT_EQ(ServiceHost::current(), &host);
}

TEST_F(ServicesTest, EveryServiceIsServedAndCanBeWithheld) {
  const std::vector<std::string> names = {
      "LW Item Info 4",      "LW Bone Info 3",       "NodeFuncs",        "NodeInputFuncs",
      "NodeInputFuncs 2",    "NodeInputFuncs 3",     "NodeInputFuncs 4", "NodeOutputFuncs",
      "NodeOutputFuncs 2",   "NodeOutputFuncs 3",    "Instance Update",  "LWXPanel",
      "LW Interface Info 5", "LW Command Interface", "Product Info",     "System ID"};
  for (const std::string& name : names) {
    EXPECT_NE(lookup(name.c_str()), nullptr) << name;
    host.withhold(name);
    EXPECT_EQ(lookup(name.c_str()), nullptr) << name;
  }
  host.restore("NodeFuncs");
  EXPECT_EQ(lookup("NodeFuncs"), &nodeFuncsTable());
  EXPECT_EQ(lookup("LW Item Info 4"), nullptr);
  host.restoreAll();
  EXPECT_EQ(lookup("LW Item Info 4"), &itemInfoTable());
  EXPECT_EQ(lookup("LW Bone Info 3"), &boneInfoTable());
  EXPECT_EQ(lookup("NodeInputFuncs 3"), &nodeInputFuncsTable());
  // Names are exact: no other spelling is served.
  EXPECT_EQ(lookup("LW Item Info"), nullptr);
  EXPECT_EQ(lookup("NodeInputFuncs4"), nullptr);
  EXPECT_EQ(lookup("NodeOutputFuncs 4"), nullptr);
  // Every lookup is recorded, withheld or not.
  EXPECT_EQ(host.calls().count("lookup NodeInputFuncs4"), 1u);
  EXPECT_EQ(host.calls().count("lookup LW Item Info 4"), 4u);
}

TEST_F(ServicesTest, ValuesComeBackAsPointerBits) {
  EXPECT_EQ((valueOf(lookup("Product Info")) & 0xFFF0) >> 4, 2723u);
  EXPECT_EQ(valueOf(lookup("System ID")) & SYSTEM_ID_NO_ITEM_INFO, 0u);
  host.setBuild(1446);
  EXPECT_EQ((valueOf(lookup("Product Info")) & 0xFFF0) >> 4, 1446u);
  host.setProductInfo(0x12345678);
  EXPECT_EQ(valueOf(lookup("Product Info")), 0x12345678u);
  host.setBuild(2238);
  EXPECT_EQ(valueOf(lookup("Product Info")), 0x12348BE8u);
  host.setSystemId(0x10000005);
  EXPECT_EQ(valueOf(lookup("System ID")), 0x10000005u);
}

TEST_F(ServicesTest, ItemInfoAnswersFromTheSceneAndIsRecorded) {
  const ItemId light = scene.addLight("Sun", cube);
  const ItemId bone = scene.addBone(cube, "Root");
  scene.setParamKeys(cube, PARAM_POSITION, {{0.0, {0.0, 0.0, 0.0}}, {1.0, {4.0, 8.0, -2.0}}});
  scene.setRest(bone, PARAM_ROTATION, {0.5, 0.0, -0.5});
  host.calls().clear();

  const auto& info = *static_cast<const ItemInfoService*>(lookup("LW Item Info 4"));
  EXPECT_EQ(info.first(IT_OBJECT, 0), cube);
  EXPECT_EQ(info.next(cube), 0u);
  EXPECT_EQ(info.first(IT_LIGHT, 0), light);
  EXPECT_EQ(info.first(IT_BONE, cube), bone);
  EXPECT_EQ(info.parent(light), cube);
  EXPECT_STREQ(info.name(light), "Sun");
  double out[3] = {9, 9, 9};
  info.param(cube, PARAM_POSITION, 0.25, out);
  EXPECT_DOUBLE_EQ(out[0], 1.0);
  EXPECT_DOUBLE_EQ(out[1], 2.0);
  EXPECT_DOUBLE_EQ(out[2], -0.5);
  info.param(0x10000077, PARAM_SCALING, 0.0, out);
  EXPECT_EQ(out[0], 0.0);

  const auto& boneInfo = *static_cast<const BoneInfoService*>(lookup("LW Bone Info 3"));
  boneInfo.restParam(bone, PARAM_ROTATION, out);
  EXPECT_EQ(out[0], 0.5);
  EXPECT_EQ(out[2], -0.5);

  const std::vector<std::string> expected = {
      "lookup LW Item Info 4",
      "itemInfo.first 0 00000000",
      "itemInfo.next 10000001",
      "itemInfo.first 1 00000000",
      "itemInfo.first 3 10000001",
      "itemInfo.parent " + hexId(light),
      "itemInfo.name " + hexId(light),
      "itemInfo.param 10000001 1 0.25",
      "itemInfo.param 10000077 6 0",
      "lookup LW Bone Info 3",
      "boneInfo.restParam " + hexId(bone) + " 5",
  };
  EXPECT_EQ(host.calls().entries(), expected);
}

TEST_F(ServicesTest, InterfaceInfoFollowsTheSelectionAndCommands) {
  const ItemId sphere = scene.addObject("Sphere");
  scene.setColor(sphere, 12);
  auto* info = static_cast<const InterfaceInfo*>(lookup("LW Interface Info 5"));
  EXPECT_EQ(info->selectedItems[0], 0u);  // nothing selected: just the terminator
  scene.select({sphere, cube});
  info = static_cast<const InterfaceInfo*>(lookup("LW Interface Info 5"));
  EXPECT_EQ(info->selectedItems[0], sphere);
  EXPECT_EQ(info->selectedItems[1], cube);
  EXPECT_EQ(info->selectedItems[2], 0u);
  EXPECT_EQ(info->itemColor(sphere), 12u);

  const auto command = reinterpret_cast<CommandFunc>(lookup("LW Command Interface"));
  EXPECT_EQ(command("SelectItem 10000001"), 1);
  EXPECT_EQ(scene.selection(), std::vector<ItemId>{cube});
  EXPECT_EQ(command("SelectItem 1000000A"), 0);  // no such item: selection kept
  EXPECT_EQ(command("SelectItem 1000"), 0);
  EXPECT_EQ(command("Unknown 10000002"), 0);
  EXPECT_EQ(scene.selection(), std::vector<ItemId>{cube});
  info = static_cast<const InterfaceInfo*>(lookup("LW Interface Info 5"));
  EXPECT_EQ(info->selectedItems[0], cube);
  EXPECT_EQ(host.calls().matching("command "),
            (std::vector<std::string>{"command SelectItem 10000001", "command SelectItem 1000000A",
                                      "command SelectItem 1000", "command Unknown 10000002"}));
  EXPECT_TRUE(host.calls().contains("interfaceInfo.itemColor " + hexId(sphere)));

  const auto update = reinterpret_cast<InstanceUpdateFunc>(lookup("Instance Update"));
  update("NodeHandler", nullptr);
  EXPECT_EQ(host.calls().count("instanceUpdate NodeHandler"), 1u);
}

TEST_F(ServicesTest, NodeServicesKeepPortsAndDeliverByType) {
  NodePorts ports;
  const auto& nodeFuncs = nodeFuncsTable();
  const auto& inputs = nodeInputFuncsTable();
  const auto& outputs = nodeOutputFuncsTable();
  const int color[3] = {80, 65, 50};
  nodeFuncs.setNodeColor(ports.handle(), color);
  nodeFuncs.setNodeOption(ports.handle(), 2);
  InputHandle time = inputs.create(ports.handle(), CT_SCALAR, "Time", nullptr);
  InputHandle item = inputs.create(ports.handle(), CT_INTEGER, "Item", nullptr);
  OutputHandle position = outputs.create(ports.handle(), CT_VECTOR, "Position");
  OutputHandle x = outputs.create(ports.handle(), CT_SCALAR, "X");
  OutputHandle id = outputs.create(ports.handle(), CT_INTEGER, "Item");
  ASSERT_EQ(ports.inputs.size(), 2u);
  ASSERT_EQ(ports.outputs.size(), 3u);
  EXPECT_EQ(ports.colors, (std::vector<std::array<int, 3>>{{80, 65, 50}}));
  EXPECT_EQ(ports.options, std::vector<int>{2});
  EXPECT_EQ(reinterpret_cast<InputHandle>(ports.findInput("Item")), item);
  EXPECT_EQ(reinterpret_cast<OutputHandle>(ports.findOutput("Item")), id);

  double seconds = -1;
  EXPECT_EQ(inputs.isConnected(time), 0);
  EXPECT_EQ(inputs.evaluate(time, nullptr, &seconds), 0);
  EXPECT_EQ(seconds, 0.0);
  ports.inputs[0]->source = ScalarSource([](const NodalContext& c) { return c.time * 2; });
  NodalContext context{12, 0.5};
  EXPECT_EQ(inputs.isConnected(time), 1);
  EXPECT_EQ(inputs.evaluate(time, reinterpret_cast<NodalAccess>(&context), &seconds), 1);
  EXPECT_EQ(seconds, 1.0);
  // An integer input writes exactly 32 bits, leaving what follows untouched.
  std::int32_t words[2] = {0, 77};
  ports.inputs[1]->source = std::int32_t(0x40010002);
  EXPECT_EQ(inputs.evaluate(item, reinterpret_cast<NodalAccess>(&context), words), 1);
  EXPECT_EQ(words[0], 0x40010002);
  EXPECT_EQ(words[1], 77);

  const double vector[3] = {1.5, -2.0, 3.25};
  OutputValue value;
  value.output = reinterpret_cast<NodeOutput*>(position);
  outputs.setValue(reinterpret_cast<ValueHandle>(&value), vector);
  EXPECT_EQ(value.vector, (std::array<double, 3>{1.5, -2.0, 3.25}));
  OutputValue scalar;
  scalar.output = reinterpret_cast<NodeOutput*>(x);
  outputs.setValue(reinterpret_cast<ValueHandle>(&scalar), vector);
  EXPECT_EQ(scalar.scalar, 1.5);
  EXPECT_EQ(scalar.vector, (std::array<double, 3>{}));
  OutputValue integer;
  integer.output = reinterpret_cast<NodeOutput*>(id);
  const std::int32_t parent = 0x10000003;
  outputs.setValue(reinterpret_cast<ValueHandle>(&integer), &parent);
  EXPECT_EQ(integer.integer, 0x10000003);
  EXPECT_EQ(integer.deliveries, 1);

  EXPECT_EQ(host.calls().entries(), (std::vector<std::string>{
                                        "node.setNodeColor 80 65 50",
                                        "node.setNodeOption 2",
                                        "input.create 2 Time",
                                        "input.create 4 Item",
                                        "output.create 3 Position",
                                        "output.create 2 X",
                                        "output.create 4 Item",
                                        "input.isConnected Time",
                                        "input.evaluate Time",
                                        "input.isConnected Time",
                                        "input.evaluate Time",
                                        "input.evaluate Item",
                                        "output.setValue Position 1.5 -2 3.25",
                                        "output.setValue X 1.5",
                                        "output.setValue Item 268435459",
                                    }));
}

// Run under ThreadSanitizer in the sanitizer build: the evaluation-time services
// read the scene from many threads while each delivers into its own value.
TEST_F(ServicesTest, EvaluationServicesAreSafeFromManyThreads) {
  const ItemId child = scene.addObject("Child", cube);
  scene.setParamKeys(child, PARAM_ROTATION, {{0.0, {0.0, 0.0, 0.0}}, {4.0, {4.0, 8.0, 12.0}}});
  NodePorts ports;
  const auto& inputs = nodeInputFuncsTable();
  const auto& outputs = nodeOutputFuncsTable();
  InputHandle time = inputs.create(ports.handle(), CT_SCALAR, "Time", nullptr);
  ports.inputs[0]->source = ScalarSource([](const NodalContext& c) { return c.time; });
  OutputHandle rotation = outputs.create(ports.handle(), CT_VECTOR, "Rotation");
  host.calls().clear();

  constexpr int THREADS = 4;
  constexpr int ROUNDS = 200;
  std::vector<int> failures(THREADS, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      const auto& info = itemInfoTable();
      for (int i = 0; i < ROUNDS; ++i) {
        NodalContext context{i, static_cast<double>(t)};
        double when = -1;
        inputs.evaluate(time, reinterpret_cast<NodalAccess>(&context), &when);
        double out[3];
        info.param(info.first(IT_OBJECT, 0) == cube ? info.next(cube) : 0, PARAM_ROTATION, when, out);
        if (info.parent(child) != cube) ++failures[static_cast<std::size_t>(t)];
        OutputValue value;
        value.output = reinterpret_cast<NodeOutput*>(rotation);
        outputs.setValue(reinterpret_cast<ValueHandle>(&value), out);
        if (value.vector != std::array<double, 3>{1.0 * t, 2.0 * t, 3.0 * t}) ++failures[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(THREADS, 0));
  EXPECT_EQ(host.calls().count("output.setValue Rotation"), static_cast<std::size_t>(THREADS * ROUNDS));
}

}  // namespace
}  // namespace kv::host
