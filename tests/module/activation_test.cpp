// SPDX-License-Identifier: MIT
// Node activation: service acquisition by host build, failures, and what is
// bound into the handler record.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "host/host.h"

namespace kv::host {
namespace {

class Activation : public ::testing::Test {
 protected:
  Scene scene;
  ServiceHost host{scene};
  LoadedModule module{KV_MODULE_PATH};

  // Activates a node server with a handler record whose every field holds a sentinel.
  struct Record {
    NodeInstanceFuncs instance;
    NodeItemFuncs item;
    NodeRenderFuncs render;
    NodeHandler handler;
  };
  static void fillSentinels(Record& r) {
    std::memset(static_cast<void*>(&r), 0xA5, sizeof r);
    r.handler.instance = &r.instance;
    r.handler.item = &r.item;
    r.handler.render = &r.render;
  }
  int activate(const char* server, Record& r, bool withItemFuncs = true) {
    fillSentinels(r);
    if (!withItemFuncs) r.handler.item = nullptr;
    const ServerInfo* info = module.find("NodeHandler", server);
    EXPECT_NE(info, nullptr);
    return info->activate(5, ServiceHost::lookup(), &r.handler, nullptr);
  }
  std::vector<std::string> lookups() { return host.calls().matching("lookup "); }
};

TEST_F(Activation, ServiceNamesFollowTheHostBuild) {
  struct Case {
    unsigned build;
    const char* output;
    const char* input;
  };
  const Case cases[] = {
      {1446, "NodeOutputFuncs", "NodeInputFuncs"},     {1447, "NodeOutputFuncs", "NodeInputFuncs 2"},
      {2237, "NodeOutputFuncs", "NodeInputFuncs 2"},   {2238, "NodeOutputFuncs 2", "NodeInputFuncs 3"},
      {2525, "NodeOutputFuncs 2", "NodeInputFuncs 3"}, {2526, "NodeOutputFuncs 2", "NodeInputFuncs 4"},
      {2722, "NodeOutputFuncs 2", "NodeInputFuncs 4"}, {2723, "NodeOutputFuncs 3", "NodeInputFuncs 4"},
  };
  for (const Case& c : cases) {
    host.setBuild(c.build);
    // Bits outside 4..15 of the product info must not matter.
    host.setProductInfo(host.productInfo() | 0xFFFF000Fu);
    host.calls().clear();
    Record r;
    ASSERT_EQ(activate("KvI_ITEMP", r), 0) << c.build;
    const std::vector<std::string> seen = lookups();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], "lookup Product Info");
    EXPECT_EQ(seen[1], "lookup NodeFuncs");
    EXPECT_EQ(seen[2], std::string("lookup ") + c.output) << c.build;
    EXPECT_EQ(seen[3], std::string("lookup ") + c.input) << c.build;
  }
}

TEST_F(Activation, LooksUpEveryServiceInOrderAndInstanceUpdateOnlyOnce) {
  Record r;
  ASSERT_EQ(activate("KvI_ITEM", r), 0);
  EXPECT_EQ(lookups(),
            (std::vector<std::string>{"lookup Product Info", "lookup NodeFuncs", "lookup NodeOutputFuncs 3",
                                      "lookup NodeInputFuncs 4", "lookup Instance Update", "lookup System ID",
                                      "lookup LW Bone Info 3", "lookup LW Item Info 4"}));
  host.calls().clear();
  ASSERT_EQ(activate("KvI_BONE", r), 0);
  EXPECT_EQ(host.calls().count("lookup Instance Update"), 0u);
}

TEST_F(Activation, SystemIdBitSkipsTheItemServices) {
  host.setSystemId(0x10000000);
  Record r;
  ASSERT_EQ(activate("KvI_ITEMWP", r), 0);
  EXPECT_EQ(host.calls().count("lookup LW Item Info 4"), 0u);
  EXPECT_EQ(host.calls().count("lookup LW Bone Info 3"), 0u);
}

TEST_F(Activation, AnyMissingRequiredServiceFailsAndLeavesTheRecordUntouched) {
  for (const char* missing :
       {"NodeFuncs", "NodeOutputFuncs 3", "NodeInputFuncs 4", "LW Item Info 4", "LW Bone Info 3"}) {
    host.restoreAll();
    host.withhold(missing);
    for (const char* server : {"KvI_ITEM", "KvI_BONEMX"}) {
      Record r, untouched;
      EXPECT_EQ(activate(server, r), 2) << missing << " " << server;
      fillSentinels(untouched);
      EXPECT_EQ(std::memcmp(&r.instance, &untouched.instance, sizeof r.instance), 0) << missing;
      EXPECT_EQ(std::memcmp(&r.item, &untouched.item, sizeof r.item), 0) << missing;
      EXPECT_EQ(std::memcmp(&r.render, &untouched.render, sizeof r.render), 0) << missing;
      EXPECT_EQ(r.handler.evaluate, untouched.handler.evaluate) << missing;
    }
  }
}

// A failed activation changes nothing: the nodes activated before keep
// delivering their values, and their instances made afterwards get their inputs
// and outputs.
TEST_F(Activation, AFailedActivationLeavesTheServicesOfTheEarlierOnes) {
  const ItemId item = scene.addObject("Item");
  scene.setParam(item, PARAM_POSITION, {1.0, 2.0, 3.0});
  HostNode earlier(host, module, "KvI_ITEMP");
  earlier.connectInteger("Item", static_cast<std::int32_t>(item));
  earlier.newTime(0, 0.0);
  const NodeInstanceFuncs& funcs = *earlier.handler().instance;
  for (const char* missing :
       {"NodeFuncs", "NodeOutputFuncs 3", "NodeInputFuncs 4", "LW Item Info 4", "LW Bone Info 3"}) {
    host.withhold(missing);
    Record r;
    EXPECT_EQ(activate("KvI_BONE", r), 2) << missing;
    host.restoreAll();

    const OutputValue position = earlier.evaluate("Position");
    EXPECT_EQ(position.deliveries, 1) << missing;
    EXPECT_EQ(position.vector, (std::array<double, 3>{1.0, 2.0, 3.0})) << missing;
    NodePorts ports;
    const char* error = nullptr;
    const Instance made = funcs.create(funcs.priv, ports.handle(), &error);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(ports.inputs.size(), 2u) << missing;
    EXPECT_EQ(ports.outputs.size(), 4u) << missing;
    funcs.destroy(made);
  }
}

TEST_F(Activation, InstanceUpdateOnceFoundIsKeptWhenTheHostLaterWithholdsIt) {
  Record r;
  ASSERT_EQ(activate("KvI_ITEM", r), 0);
  host.withhold("Instance Update");
  host.calls().clear();
  EXPECT_EQ(activate("KvI_ITEM", r), 0);
  EXPECT_EQ(host.calls().count("lookup Instance Update"), 0u);
}

TEST_F(Activation, PrivateValueIsTheKindAndItemFunctionsAreOptional) {
  // The kind is the node's place among its family's, in table order.
  std::map<std::string, std::intptr_t> kinds;  // the next one, by menu group
  for (const ServerInfo& server : module.servers()) {
    if (server.className != "NodeHandler") continue;
    Record r;
    ASSERT_EQ(activate(server.name.c_str(), r), 0);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(r.instance.priv), kinds[*server.tag(TAG_MENU_GROUP)]++) << server.name;
    EXPECT_EQ(std::string(r.instance.describeLine(nullptr)), "");
    EXPECT_EQ(r.render.init(nullptr, 0), nullptr);
    EXPECT_NE(reinterpret_cast<void*>(r.item.useItems), nullptr);

    Record bare;
    ASSERT_EQ(activate(server.name.c_str(), bare, false), 0);
    EXPECT_EQ(bare.handler.item, nullptr);
    EXPECT_EQ(bare.handler.evaluate, r.handler.evaluate);
  }
  // The families bind their own functions; kinds of one family share create only among the single-value kinds.
  Record info, pos, bonePos;
  activate("KvI_ITEM", info);
  activate("KvI_ITEMP", pos);
  activate("KvI_BONEP", bonePos);
  EXPECT_NE(info.instance.create, pos.instance.create);
  EXPECT_NE(pos.instance.create, bonePos.instance.create);
  EXPECT_NE(info.handler.evaluate, pos.handler.evaluate);
}

}  // namespace
}  // namespace kv::host
