// SPDX-License-Identifier: MIT
// One node as the host keeps it: the "NodeHandler" server activated into a
// handler record, an instance created on a host node object, and the calls a
// host makes on it (time steps, evaluation, connections, copy, item lists and
// identifier changes, save and load, the panel).
//
// Lifetime: a node must end before its module and its ServiceHost, since its
// destructor calls the module's destroy.
//
// Threads: `evaluate` may run on many threads at once; every other member must
// not overlap it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contract/host_api.h"
#include "host/module_loader.h"
#include "host/node_ports.h"
#include "host/panel.h"
#include "host/saved_state.h"
#include "host/services.h"

namespace kv::host {

// An activation or create that did not succeed.
class NodeError : public std::runtime_error {
 public:
  NodeError(const std::string& message, int result) : std::runtime_error(message), result_(result) {}
  int result() const { return result_; }  // the activation's result, or -1 for a failed create

 private:
  int result_;
};

struct NodeOptions {
  int version = HOST_INTERFACE_VERSION;  // passed to the node and panel activations
  bool itemFuncs = true;                 // false: the handler's item-functions pointer is null
};

struct PortInfo {
  std::string name;
  int type;
  void* handle;  // the InputHandle or OutputHandle the module holds
};

class HostNode {
 public:
  // Activates the "NodeHandler" server `serverName` and creates an instance.
  // Throws NodeError when the server is missing, the activation fails or
  // create returns null.
  HostNode(ServiceHost& host, const LoadedModule& module, std::string serverName, NodeOptions options = {});
  ~HostNode();  // destroys the instance unless destroy() already did
  HostNode(const HostNode&) = delete;
  HostNode& operator=(const HostNode&) = delete;

  const std::string& serverName() const { return serverName_; }
  Instance instance() const { return instance_; }
  const NodeHandler& handler() const { return handler_; }
  NodeHandle handle() { return ports_.handle(); }
  const NodePorts& ports() const { return ports_; }

  // What the module registered, in order.
  std::vector<PortInfo> inputs() const;
  std::vector<PortInfo> outputs() const;

  // Connections; each tells the module through the input's event function.
  // Throw std::out_of_range for an input name the node lacks.
  void connectScalar(std::string_view input, double value);
  void connectInteger(std::string_view input, std::int32_t value);
  void connectFunction(std::string_view input, ScalarSource source);
  void connectIntegerFunction(std::string_view input, IntegerSource source);
  void disconnect(std::string_view input);

  // The time step: calls new-time and makes it the context of evaluations.
  const char* newTime(int frame, double time);
  const NodalContext& context() const { return context_; }
  const char* init(int mode);
  void cleanup();

  // Calls evaluate for one output, with the context of the last newTime as the
  // nodal access and a fresh OutputValue as the value handle, and returns what
  // setValue delivered into it. Throw std::out_of_range for an unknown output.
  OutputValue evaluate(std::string_view output) const;
  OutputValue evaluate(std::size_t index) const;
  // Evaluates with any handle, e.g. one that is not the node's; the value is
  // read as `type` and its `output` is null unless the handle is the node's.
  OutputValue evaluateHandle(OutputHandle output, int type) const;

  const char* copyFrom(const HostNode& source);
  const char* describeLine() const;
  // The zero-terminated use-items list without its terminator.
  std::vector<ItemId> usedItems() const;
  // Calls change-ID with (old, new) pairs and the terminating (0, 0).
  void changeIds(const std::vector<std::pair<ItemId, ItemId>>& changes);
  const char* save(SavedState& target) const;
  const char* load(const SavedState& source);

  // Activates the "NodeInterface" server of the same name with this instance
  // (the record's two further members are handed over non-null).
  // Returns the panel the module put into the record (null when none) and keeps
  // the activation's result and record.
  HostPanel* openPanel();
  int lastPanelResult() const { return panelResult_; }
  const NodeInterfaceRecord& lastPanelRecord() const { return panelRecord_; }

  // Calls destroy; the instance is gone afterwards.
  void destroy();

 private:
  NodeInput& input(std::string_view name);
  // Evaluates one of this node's outputs, read by its own type.
  OutputValue evaluateOwn(const NodeOutput& output) const;
  void connect(std::string_view name, NodeInput::Source source, int event);

  ServiceHost& host_;
  const LoadedModule& module_;
  std::string serverName_;
  NodeOptions options_;
  NodeInstanceFuncs instanceFuncs_{};
  NodeItemFuncs itemFuncs_{};
  NodeRenderFuncs renderFuncs_{};
  NodeHandler handler_{};
  NodePorts ports_;
  Instance instance_ = nullptr;
  NodalContext context_;
  int panelResult_ = -1;
  NodeInterfaceRecord panelRecord_{};
};

}  // namespace kv::host
