// SPDX-License-Identifier: MIT
// The module's nodes as the validation groups drive them: its node servers,
// nodes and panels made in a try, and node settings written into saved states
// and read back from them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"

namespace kv::conformance {

// The names of the module's "NodeHandler" servers, in table order.
std::vector<std::string> nodeServers(const host::LoadedModule& module);

// Activates a server with `lookup` into records of its own, as a host does: a
// node server before create, a panel server for no instance. Its result.
int activateServer(const host::ServerInfo& server, GlobalLookup lookup);

// A node's settings as its saved state holds them: the identifiers of the
// "ids" block, the "time" and the "mode".
struct NodeSettings {
  std::vector<ItemId> ids;
  double time = 0.0;
  std::int32_t mode = 0;
};

host::SavedState settingsState(const NodeSettings& settings);
// Points the settings at `item`: a bone node (two ids) takes a bone with its
// owner; an item node, or a bone node given a non-bone, takes the item in
// every id.
void chooseItem(NodeSettings& settings, ItemId item);
// The settings a saved state holds, or nullopt when it is not the three leaf
// blocks "ids" (of u4 values), "time" (one dp) and "mode" (one i4) in order.
std::optional<NodeSettings> readSettings(const host::SavedState& state);
// Saves the node and reads its settings (nullopt when save failed or wrote
// something else).
std::optional<NodeSettings> nodeSettings(const host::HostNode& node);

std::string stateText(const host::SavedState& state);

// A node made in a try: null (and `error` set) when activation or create fails.
std::unique_ptr<host::HostNode> tryNode(host::ServiceHost& host, const host::LoadedModule& module,
                                        const std::string& server, std::string& error);

// The node's panel, or null (and `error` set) when it cannot be opened.
host::HostPanel* tryPanel(host::HostNode& node, std::string& error);

}  // namespace kv::conformance
