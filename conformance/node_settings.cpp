// SPDX-License-Identifier: MIT
#include "conformance/node_settings.h"

#include <exception>
#include <variant>

#include "conformance/state_json.h"

namespace kv::conformance {

std::vector<std::string> nodeServers(const host::LoadedModule& module) {
  std::vector<std::string> names;
  for (const host::ServerInfo& server : module.servers()) {
    if (server.className == NODE_HANDLER_CLASS) names.push_back(server.name);
  }
  return names;
}

int activateServer(const host::ServerInfo& server, GlobalLookup lookup) {
  if (server.className == NODE_INTERFACE_CLASS) {
    NodeInterfaceRecord record{};
    return server.activate(HOST_INTERFACE_VERSION, lookup, &record, nullptr);
  }
  NodeInstanceFuncs instance{};
  NodeItemFuncs item{};
  NodeRenderFuncs render{};
  NodeHandler handler{&instance, &item, &render, nullptr};
  return server.activate(HOST_INTERFACE_VERSION, lookup, &handler, nullptr);
}

host::SavedState settingsState(const NodeSettings& settings) {
  host::SavedState state;
  state.add(BLOCK_IDS, "ids", {settings.ids.begin(), settings.ids.end()})
      .add(BLOCK_TIME, "time", {settings.time})
      .add(BLOCK_MODE, "mode", {settings.mode});
  return state;
}

void chooseItem(NodeSettings& settings, ItemId item) {
  if (settings.ids.size() == 2 && host::itemTypeOf(item) == IT_BONE) {
    settings.ids = {host::boneOwner(item), item};
  } else {
    settings.ids.assign(settings.ids.size(), item);
  }
}

std::optional<NodeSettings> readSettings(const host::SavedState& state) {
  const auto is = [&](std::size_t index, std::uint32_t id, const char* token) {
    const host::StoredBlock& block = state.blocks[index];
    return block.id == id && block.token == token && block.leaf;
  };
  if (state.blocks.size() != 3 || !is(0, BLOCK_IDS, "ids") || !is(1, BLOCK_TIME, "time") ||
      !is(2, BLOCK_MODE, "mode")) {
    return std::nullopt;
  }
  NodeSettings settings;
  for (const host::StoredValue& value : state.blocks[0].values) {
    if (!std::holds_alternative<std::uint32_t>(value)) return std::nullopt;
    settings.ids.push_back(std::get<std::uint32_t>(value));
  }
  const auto& time = state.blocks[1].values;
  const auto& mode = state.blocks[2].values;
  if (time.size() != 1 || !std::holds_alternative<double>(time[0])) return std::nullopt;
  if (mode.size() != 1 || !std::holds_alternative<std::int32_t>(mode[0])) return std::nullopt;
  settings.time = std::get<double>(time[0]);
  settings.mode = std::get<std::int32_t>(mode[0]);
  return settings;
}

std::optional<NodeSettings> nodeSettings(const host::HostNode& node) {
  host::SavedState state;
  if (node.save(state) != nullptr) return std::nullopt;
  return readSettings(state);
}

// Block IDs of random bytes are no text: shown with replacement characters.
std::string stateText(const host::SavedState& state) {
  return stateToJson(state).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::unique_ptr<host::HostNode> tryNode(host::ServiceHost& host, const host::LoadedModule& module,
                                        const std::string& server, std::string& error) {
  try {
    return std::make_unique<host::HostNode>(host, module, server);
  } catch (const std::exception& failure) {
    error = failure.what();
    return nullptr;
  }
}

host::HostPanel* tryPanel(host::HostNode& node, std::string& error) {
  try {
    host::HostPanel* panel = node.openPanel();
    if (!panel) error = "activation returned " + std::to_string(node.lastPanelResult()) + " and no panel";
    return panel;
  } catch (const std::exception& failure) {
    error = failure.what();
    return nullptr;
  }
}

}  // namespace kv::conformance
