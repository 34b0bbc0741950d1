// SPDX-License-Identifier: MIT
#include "host/node_ports.h"

#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/number_conversion.h"
#include "host/services.h"

namespace kv::host {
namespace {

template <typename Arguments>
void recordCall(std::string_view operation, Arguments&& arguments) {
  if (ServiceHost* host = ServiceHost::current()) host->calls().record(operation, std::forward<Arguments>(arguments));
}

std::string shownValue(const OutputValue& value, const void* data) {
  if (!data) return "(null)";
  switch (value.output ? value.output->type : 0) {
    case CT_VECTOR:
      return formatDouble(value.vector[0]) + " " + formatDouble(value.vector[1]) + " " + formatDouble(value.vector[2]);
    case CT_SCALAR:
      return formatDouble(value.scalar);
    case CT_INTEGER:
      return std::to_string(value.integer);
    default:
      return "(unknown type)";
  }
}

void setNodeColor(NodeHandle node, const int* rgb) noexcept {
  if (!node || !rgb) return;
  recordCall("node.setNodeColor",
             [&] { return std::to_string(rgb[0]) + " " + std::to_string(rgb[1]) + " " + std::to_string(rgb[2]); });
  reinterpret_cast<NodePorts*>(node)->colors.push_back({rgb[0], rgb[1], rgb[2]});
}

void setNodeOption(NodeHandle node, int option) noexcept {
  if (!node) return;
  recordCall("node.setNodeOption", [&] { return std::to_string(option); });
  reinterpret_cast<NodePorts*>(node)->options.push_back(option);
}

InputHandle createInput(NodeHandle node, int connectionType, const char* name, InputEventFunc onEvent) noexcept {
  if (!node || !name) return nullptr;
  recordCall("input.create", [&] { return std::to_string(connectionType) + " " + name; });
  auto input = std::make_unique<NodeInput>();
  input->type = connectionType;
  input->name = name;
  input->onEvent = onEvent;
  auto& inputs = reinterpret_cast<NodePorts*>(node)->inputs;
  inputs.push_back(std::move(input));
  return reinterpret_cast<InputHandle>(inputs.back().get());
}

int evaluateInput(InputHandle handle, NodalAccess access, void* out) noexcept {
  if (!handle || !out) return 0;
  const auto& input = *reinterpret_cast<const NodeInput*>(handle);
  recordCall("input.evaluate", [&] { return input.name; });
  const NodalContext context = access ? *reinterpret_cast<const NodalContext*>(access) : NodalContext{};
  input.deliver(context, out);
  return input.connected() ? 1 : 0;
}

int inputIsConnected(InputHandle handle) noexcept {
  if (!handle) return 0;
  const auto& input = *reinterpret_cast<const NodeInput*>(handle);
  recordCall("input.isConnected", [&] { return input.name; });
  return input.connected() ? 1 : 0;
}

OutputHandle createOutput(NodeHandle node, int connectionType, const char* name) noexcept {
  if (!node || !name) return nullptr;
  recordCall("output.create", [&] { return std::to_string(connectionType) + " " + name; });
  auto output = std::make_unique<NodeOutput>();
  output->type = connectionType;
  output->name = name;
  auto& outputs = reinterpret_cast<NodePorts*>(node)->outputs;
  outputs.push_back(std::move(output));
  return reinterpret_cast<OutputHandle>(outputs.back().get());
}

// Copies what the output's type says the data holds; the data is read during the call only.
void setOutputValue(ValueHandle handle, const void* data) noexcept {
  if (!handle) return;
  auto& value = *reinterpret_cast<OutputValue*>(handle);
  if (data) {
    switch (value.output ? value.output->type : 0) {
      case CT_VECTOR:
        std::memcpy(value.vector.data(), data, sizeof value.vector);
        break;
      case CT_SCALAR:
        std::memcpy(&value.scalar, data, sizeof value.scalar);
        break;
      case CT_INTEGER:
        std::memcpy(&value.integer, data, sizeof value.integer);
        break;
      default:
        break;
    }
  }
  ++value.deliveries;
  recordCall("output.setValue",
             [&] { return (value.output ? value.output->name : "(none)") + " " + shownValue(value, data); });
}

}  // namespace

void NodeInput::deliver(const NodalContext& context, void* out) const {
  const auto visitor = [&](const auto& held) -> double {
    using Held = std::decay_t<decltype(held)>;
    if constexpr (std::is_same_v<Held, Disconnected>) {
      return 0.0;
    } else if constexpr (std::is_same_v<Held, double> || std::is_same_v<Held, std::int32_t>) {
      return static_cast<double>(held);
    } else {
      return static_cast<double>(held(context));
    }
  };
  if (type == CT_INTEGER) {
    // Integer sources go straight through so no identifier loses bits on the way.
    std::int32_t value = 0;
    if (const auto* constant = std::get_if<std::int32_t>(&source)) {
      value = *constant;
    } else if (const auto* function = std::get_if<IntegerSource>(&source)) {
      value = (*function)(context);
    } else {
      value = truncatedOrZero<std::int32_t>(std::visit(visitor, source));
    }
    std::memcpy(out, &value, sizeof value);
  } else {
    const double value = std::visit(visitor, source);
    std::memcpy(out, &value, sizeof value);
  }
}

NodeInput* NodePorts::findInput(std::string_view name) const {
  for (const auto& input : inputs) {
    if (input->name == name) return input.get();
  }
  return nullptr;
}

NodeOutput* NodePorts::findOutput(std::string_view name) const {
  for (const auto& output : outputs) {
    if (output->name == name) return output.get();
  }
  return nullptr;
}

const NodeFuncs& nodeFuncsTable() {
  static const NodeFuncs table = [] {
    NodeFuncs t{};
    t.setNodeColor = setNodeColor;
    t.setNodeOption = setNodeOption;
    return t;
  }();
  return table;
}

const NodeInputFuncs& nodeInputFuncsTable() {
  static const NodeInputFuncs table = [] {
    NodeInputFuncs t{};
    t.create = createInput;
    t.evaluate = evaluateInput;
    t.isConnected = inputIsConnected;
    return t;
  }();
  return table;
}

const NodeOutputFuncs& nodeOutputFuncsTable() {
  static const NodeOutputFuncs table = [] {
    NodeOutputFuncs t{};
    t.create = createOutput;
    t.setValue = setOutputValue;
    return t;
  }();
  return table;
}

}  // namespace kv::host
