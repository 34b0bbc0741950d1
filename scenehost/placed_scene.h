// SPDX-License-Identifier: MIT
// The nodes of a scene file placed on a substitute host with a loaded module:
// each node's "NodeHandler" server activated and an instance created, its
// settings given to it the way a host does (by loading a saved state, either
// the entry's "state" or one built from its settings), and its inputs
// connected to the entry's constants or keys.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/module_loader.h"
#include "host/node.h"
#include "host/saved_state.h"
#include "host/services.h"
#include "scenehost/errors.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

struct PlacedNode {
  const NodeEntry* entry = nullptr;
  const host::ServerInfo* server = nullptr;  // the "NodeHandler" server
  std::string userName;                      // its user name, or its server name when it has none
  bool boneFamily = false;                   // listed under the bone menu group
  std::unique_ptr<host::HostNode> node;
  std::vector<std::size_t> outputs;  // indices into node->outputs(): the ones to print
};

// The server of class `className` whose server name or user name is `name`; null when none.
const host::ServerInfo* findServer(const host::LoadedModule& module, const std::string& className,
                                   const std::string& name);

// The saved state the module would write for the entry's settings: "ids",
// "time" and "mode", unset settings as a new node holds them.
host::SavedState settingsState(const NodeEntry& entry, bool boneFamily);

class PlacedScene {
 public:
  // Places every node of `file`, or only `only` when given. Throws SceneError
  // naming the entry for an unknown server, input or output, or settings of
  // the wrong family. Warns when an entry's "state" (which is what gets
  // loaded) disagrees with its settings. The host records no calls.
  // `file` and `module` must outlive this.
  PlacedScene(SceneFile& file, const host::LoadedModule& module, std::ostream& warnings,
              const NodeEntry* only = nullptr);
  ~PlacedScene();

  // Warns once for each node that can only deliver zeros: one given no item
  // (none set, none loaded and none on its "Item" input), or a bone node
  // given an object but no bone.
  void warnOfNodesWithoutItem(std::ostream& warnings) const;

  host::ServiceHost& host() { return *host_; }
  SceneFile& file() { return file_; }
  std::vector<PlacedNode>& nodes() { return nodes_; }

 private:
  PlacedNode place(const NodeEntry& entry, std::ostream& warnings);
  // The settings through the module's load; the inputs to the entry's
  // constants or keys; the outputs to print.
  void giveSettings(PlacedNode& placed, std::ostream& warnings) const;
  void connectInputs(PlacedNode& placed) const;
  void chooseOutputs(PlacedNode& placed) const;
  SceneError error(const std::string& where, const std::string& what) const;

  SceneFile& file_;
  const host::LoadedModule& module_;
  std::unique_ptr<host::ServiceHost> host_;  // before the nodes: they end first
  std::vector<PlacedNode> nodes_;
};

}  // namespace kv::scenehost
