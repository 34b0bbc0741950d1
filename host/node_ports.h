// SPDX-License-Identifier: MIT
// The host-side objects behind the node, input, output, value and nodal-access
// handles that the node services hand to and receive from the module.
//
// A `NodePorts` is what a NodeHandle points to: the inputs and outputs that the
// module registered on the node, in registration order, and what it set through
// the node functions. An input is disconnected, or connected to a constant
// (double or integer) or to a function called at every evaluation with the
// evaluation's nodal context. Evaluating an input writes a 32-bit integer for an
// integer input and a double otherwise.
//
// Threads: evaluating inputs and delivering values may happen on many threads at
// once; connecting, disconnecting and registering must not overlap them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "contract/host_api.h"

namespace kv::host {

// What the host passes as NodalAccess: the time step being evaluated.
struct NodalContext {
  int frame = 0;
  double time = 0.0;
};

using ScalarSource = std::function<double(const NodalContext&)>;
using IntegerSource = std::function<std::int32_t(const NodalContext&)>;

struct NodeOutput;

// The value handle of one evaluate call: setValue copies into it by the type of
// `output`. Each evaluation has its own, so concurrent ones never share it.
struct OutputValue {
  const NodeOutput* output = nullptr;
  int deliveries = 0;              // setValue calls received
  std::array<double, 3> vector{};  // CT_VECTOR
  double scalar = 0.0;             // CT_SCALAR
  std::int32_t integer = 0;        // CT_INTEGER
};

struct NodeInput {
  struct Disconnected {};
  using Source = std::variant<Disconnected, double, std::int32_t, ScalarSource, IntegerSource>;

  int type = 0;  // connection type
  std::string name;
  InputEventFunc onEvent = nullptr;  // as the module registered it
  Source source;

  bool connected() const { return !std::holds_alternative<Disconnected>(source); }
  // The value the input delivers at `context`, converted to the input's type;
  // zero when disconnected. Writes an int32 for CT_INTEGER, a double otherwise.
  void deliver(const NodalContext& context, void* out) const;
};

struct NodeOutput {
  int type = 0;  // connection type
  std::string name;
};

// The host object behind a NodeHandle.
struct NodePorts {
  std::vector<std::unique_ptr<NodeInput>> inputs;    // registration order
  std::vector<std::unique_ptr<NodeOutput>> outputs;  // registration order
  std::vector<std::array<int, 3>> colors;            // every setNodeColor, in order
  std::vector<int> options;                          // every setNodeOption, in order

  NodeInput* findInput(std::string_view name) const;                  // null when absent
  NodeOutput* findOutput(std::string_view name) const;                // null when absent
  NodeHandle handle() { return reinterpret_cast<NodeHandle>(this); }  // what the module is given
};

// The node services' tables ("NodeFuncs", "NodeInputFuncs" ... "NodeOutputFuncs ...").
// Every version name of a service serves the same table.
const NodeFuncs& nodeFuncsTable();
const NodeInputFuncs& nodeInputFuncsTable();
const NodeOutputFuncs& nodeOutputFuncsTable();

}  // namespace kv::host
