// SPDX-License-Identifier: MIT
// A scene, the substitute host over it and the built module, with helpers that
// set a node up through the host's interface (load for the settings, inputs for
// the connections) and read its outputs.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contract/menu_groups.h"
#include "host/host.h"
#include "math/reference.h"

namespace kv::test {

using host::HostNode;
using host::OutputValue;
using host::SavedState;

class NodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<host::ServiceHost>(scene);
    module_ = std::make_unique<host::LoadedModule>(KV_MODULE_PATH);
  }

  host::ServiceHost& host() { return *host_; }
  host::CallRecord& calls() { return host_->calls(); }
  const host::LoadedModule& module() const { return *module_; }

  std::unique_ptr<HostNode> node(const std::string& server) {
    return std::make_unique<HostNode>(*host_, *module_, server);
  }

  // The module's node servers under `menuGroup`, or of both families, in table order.
  std::vector<std::string> nodeServers(const char* menuGroup = nullptr) const {
    std::vector<std::string> names;
    for (const host::ServerInfo& server : module_->servers()) {
      if (server.className == NODE_HANDLER_CLASS && (!menuGroup || server.tag(TAG_MENU_GROUP) == menuGroup)) {
        names.push_back(server.name);
      }
    }
    return names;
  }

  // Points the node at `item`, a bone node at the bone and its owner.
  void sample(HostNode& node, ItemId item) const {
    const auto group = module_->find(NODE_HANDLER_CLASS, node.serverName())->tag(TAG_MENU_GROUP);
    group == BONE_MENU_GROUP ? selectBone(node, item) : select(node, item);
  }

  // Settings as a loaded scene carries them; bone nodes take (owner, bone).
  static void select(HostNode& node, ItemId item) {
    SavedState state;
    state.add(blockId("IIDS"), "ids", {item});
    node.load(state);
  }
  static void selectBone(HostNode& node, ItemId bone) {
    SavedState state;
    state.add(blockId("IIDS"), "ids", {host::boneOwner(bone), bone});
    node.load(state);
  }
  static void setTime(HostNode& node, std::int32_t mode, double panelTime) {
    SavedState state;
    state.add(blockId("ITIM"), "time", {panelTime}).add(blockId("IMOD"), "mode", {mode});
    node.load(state);
  }

  host::Scene scene;

 private:
  std::unique_ptr<host::ServiceHost> host_;
  std::unique_ptr<host::LoadedModule> module_;
};

// A root at (0, 0, 5) turned a quarter to the right (heading pi/2) and a child
// at (1, 0, 0) under it: the child's X axis points along world -Z, its Z axis
// along world +X, so it sits at (0, 0, 4) in the world.
class TurnedChildTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    root = scene.addObject("Root");
    scene.setParam(root, PARAM_POSITION, {0.0, 0.0, 5.0});
    scene.setParam(root, PARAM_ROTATION, {PI / 2, 0.0, 0.0});
    child = scene.addObject("Child", root);
    scene.setParam(child, PARAM_POSITION, {1.0, 0.0, 0.0});
  }

  ItemId root = 0;
  ItemId child = 0;
};

inline std::array<double, 3> vec(double x, double y, double z) { return {x, y, z}; }

// Every component within `tolerance`.
inline ::testing::AssertionResult near3(const std::array<double, 3>& actual, const std::array<double, 3>& expected,
                                        double tolerance = 1e-12) {
  for (int i = 0; i < 3; ++i) {
    if (!(std::abs(actual[i] - expected[i]) <= tolerance)) {
      return ::testing::AssertionFailure() << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ") vs ("
                                           << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

inline const std::array<double, 3> ZERO3{0.0, 0.0, 0.0};

}  // namespace kv::test
