// SPDX-License-Identifier: MIT
#include "host/node.h"

#include <utility>

namespace kv::host {

HostNode::HostNode(ServiceHost& host, const LoadedModule& module, std::string serverName, NodeOptions options)
    : host_(host), module_(module), serverName_(std::move(serverName)), options_(options) {
  const ServerInfo* server = module_.find(NODE_HANDLER_CLASS, serverName_);
  if (!server || !server->activate) throw NodeError("no NodeHandler server \"" + serverName_ + "\"", -1);
  handler_.instance = &instanceFuncs_;
  handler_.item = options_.itemFuncs ? &itemFuncs_ : nullptr;
  handler_.render = &renderFuncs_;
  const int result = server->activate(options_.version, ServiceHost::lookup(), &handler_, nullptr);
  if (result != AFUNC_OK) {
    throw NodeError("activation of \"" + serverName_ + "\" returned " + std::to_string(result), result);
  }
  if (!instanceFuncs_.create) throw NodeError("activation of \"" + serverName_ + "\" bound no create", -1);
  const char* error = nullptr;
  instance_ = instanceFuncs_.create(instanceFuncs_.priv, handle(), &error);
  if (!instance_) {
    throw NodeError("create of \"" + serverName_ + "\" failed: " + (error ? error : "(no message)"), -1);
  }
}

HostNode::~HostNode() { destroy(); }

void HostNode::destroy() {
  if (instance_ && instanceFuncs_.destroy) instanceFuncs_.destroy(instance_);
  instance_ = nullptr;
}

std::vector<PortInfo> HostNode::inputs() const {
  std::vector<PortInfo> found;
  for (const auto& input : ports_.inputs) found.push_back({input->name, input->type, input.get()});
  return found;
}

std::vector<PortInfo> HostNode::outputs() const {
  std::vector<PortInfo> found;
  for (const auto& output : ports_.outputs) found.push_back({output->name, output->type, output.get()});
  return found;
}

NodeInput& HostNode::input(std::string_view name) {
  NodeInput* found = ports_.findInput(name);
  if (!found) throw std::out_of_range("node \"" + serverName_ + "\" has no input \"" + std::string(name) + "\"");
  return *found;
}

void HostNode::connect(std::string_view name, NodeInput::Source source, int event) {
  NodeInput& target = input(name);
  target.source = std::move(source);
  if (target.onEvent) target.onEvent(instance_, reinterpret_cast<InputHandle>(&target), event);
}

void HostNode::connectScalar(std::string_view input, double value) { connect(input, value, INPUT_EVENT_CONNECTED); }

void HostNode::connectInteger(std::string_view input, std::int32_t value) {
  connect(input, value, INPUT_EVENT_CONNECTED);
}

void HostNode::connectFunction(std::string_view input, ScalarSource source) {
  connect(input, std::move(source), INPUT_EVENT_CONNECTED);
}

void HostNode::connectIntegerFunction(std::string_view input, IntegerSource source) {
  connect(input, std::move(source), INPUT_EVENT_CONNECTED);
}

void HostNode::disconnect(std::string_view input) {
  connect(input, NodeInput::Disconnected{}, INPUT_EVENT_DISCONNECTED);
}

const char* HostNode::newTime(int frame, double time) {
  context_ = {frame, time};
  return renderFuncs_.newTime ? renderFuncs_.newTime(instance_, frame, time) : nullptr;
}

const char* HostNode::init(int mode) { return renderFuncs_.init ? renderFuncs_.init(instance_, mode) : nullptr; }

void HostNode::cleanup() {
  if (renderFuncs_.cleanup) renderFuncs_.cleanup(instance_);
}

OutputValue HostNode::evaluate(std::string_view output) const {
  const NodeOutput* found = ports_.findOutput(output);
  if (!found) throw std::out_of_range("node \"" + serverName_ + "\" has no output \"" + std::string(output) + "\"");
  return evaluateOwn(*found);
}

OutputValue HostNode::evaluate(std::size_t index) const {
  if (index >= ports_.outputs.size()) {
    throw std::out_of_range("node \"" + serverName_ + "\" has no output " + std::to_string(index));
  }
  return evaluateOwn(*ports_.outputs[index]);
}

OutputValue HostNode::evaluateHandle(OutputHandle output, int type) const {
  for (const auto& own : ports_.outputs) {
    if (reinterpret_cast<OutputHandle>(own.get()) == output) return evaluateOwn(*own);
  }
  // A handle that is none of ours gets a stand-in of the asked type.
  const NodeOutput foreign{type, "(other)"};
  OutputValue value;
  value.output = &foreign;
  NodalContext context = context_;
  if (handler_.evaluate) {
    handler_.evaluate(instance_, reinterpret_cast<NodalAccess>(&context), output,
                      reinterpret_cast<ValueHandle>(&value));
  }
  value.output = nullptr;
  return value;
}

OutputValue HostNode::evaluateOwn(const NodeOutput& output) const {
  OutputValue value;
  value.output = &output;
  NodalContext context = context_;
  if (handler_.evaluate) {
    handler_.evaluate(instance_, reinterpret_cast<NodalAccess>(&context),
                      reinterpret_cast<OutputHandle>(const_cast<NodeOutput*>(&output)),
                      reinterpret_cast<ValueHandle>(&value));
  }
  return value;
}

const char* HostNode::copyFrom(const HostNode& source) {
  return instanceFuncs_.copy ? instanceFuncs_.copy(instance_, source.instance_) : nullptr;
}

const char* HostNode::describeLine() const {
  return instanceFuncs_.describeLine ? instanceFuncs_.describeLine(instance_) : nullptr;
}

std::vector<ItemId> HostNode::usedItems() const {
  std::vector<ItemId> items;
  if (!handler_.item || !itemFuncs_.useItems) return items;
  for (const ItemId* item = itemFuncs_.useItems(instance_); item && *item != 0; ++item) items.push_back(*item);
  return items;
}

void HostNode::changeIds(const std::vector<std::pair<ItemId, ItemId>>& changes) {
  if (!handler_.item || !itemFuncs_.changeId) return;
  std::vector<ItemId> list;
  for (const auto& [from, to] : changes) {
    list.push_back(from);
    list.push_back(to);
  }
  list.push_back(0);
  list.push_back(0);
  itemFuncs_.changeId(instance_, list.data());
}

const char* HostNode::save(SavedState& target) const {
  StateWriter writer(target, &host_.calls());
  return instanceFuncs_.save ? instanceFuncs_.save(instance_, writer.table()) : nullptr;
}

const char* HostNode::load(const SavedState& source) {
  StateReader reader(source, &host_.calls());
  return instanceFuncs_.load ? instanceFuncs_.load(instance_, reader.table()) : nullptr;
}

HostPanel* HostNode::openPanel() {
  const ServerInfo* server = module_.find(NODE_INTERFACE_CLASS, serverName_);
  if (!server || !server->activate) throw NodeError("no NodeInterface server \"" + serverName_ + "\"", -1);
  panelRecord_ = NodeInterfaceRecord{};
  panelRecord_.instance = instance_;
  // Not null, so a module that leaves them alone is seen doing so.
  panelRecord_.reserved08[0] = panelRecord_.reserved08[1] = this;
  panelResult_ = server->activate(options_.version, ServiceHost::lookup(), &panelRecord_, nullptr);
  return host_.panel(panelRecord_.panel);
}

}  // namespace kv::host
