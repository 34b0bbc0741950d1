// SPDX-License-Identifier: MIT
// The nodes, one row per kind: everything a kind is (its names, its outputs
// and its evaluate function), in both families. The server table with its
// tag lists and entry points, the outputs create registers, the evaluate
// function activation binds and every count of them derive from these rows;
// a row that lacks a piece does not compile.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "contract/host_api.h"
#include "contract/port_names.h"
#include "nodes/evaluate.h"
#include "nodes/family.h"
#include "nodes/instance.h"
#include "nodes/output_names.h"

namespace kv {

// Which node of a family an instance is: its row of the kind table.
enum NodeKind : std::int32_t {
  NK_INFO = 0,
  NK_POS = 1,
  NK_ROT = 2,
  NK_SCL = 3,
  NK_WPOS = 4,
  NK_WROT = 5,
  NK_MXW = 6,
  NK_MX = 7,
};

// A kind's outputs, in the order create registers them and evaluation relies on.
class KindOutputs {
 public:
  consteval KindOutputs(std::initializer_list<PortDef> ports) {
    for (const PortDef& port : ports) add(port);
  }
  template <std::size_t N>
  consteval KindOutputs(const std::array<InfoOutputDef, N>& info) {  // NOLINT(google-explicit-constructor)
    for (const InfoOutputDef& def : info) add({def.name, def.type});
  }

  constexpr std::span<const PortDef> ports() const { return {ports_.data(), count_}; }

 private:
  consteval void add(PortDef port) {
    if (count_ == ports_.size()) throw "a kind has more outputs than a record has slots";
    ports_[count_++] = port;
  }

  std::array<PortDef, boneInfoOutputs.size()> ports_{};
  std::size_t count_ = 0;
};

struct KindDef {
  // The evaluate function comes as a reference, which cannot be null: comparing
  // a function's address with null is no constant expression under the
  // sanitizers.
  consteval KindDef(NodeKind kind, const char* serverSuffix, const char* name, KindOutputs outputs,
                    std::remove_pointer_t<EvaluateFunc>& evaluate)
      : kind(kind), serverSuffix(serverSuffix), name(name), outputs(outputs), evaluate(&evaluate) {
    if (!serverSuffix || !name || outputs.ports().empty()) {
      throw "a kind's row needs its names and its outputs";
    }
  }

  NodeKind kind;
  const char* serverSuffix;  // after the family's server prefix: "WP" of "KvI_ITEMWP"
  const char* name;          // after the family's user prefix: "WPos" of "Item WPos"
  KindOutputs outputs;
  EvaluateFunc evaluate;
};

// The rows of family record R; the names are the same in both.
template <InstanceRecord R>
inline constexpr std::array kindTable{
    KindDef{NK_INFO, "", "Info", infoOutputsOf<R::family>(), evaluateInfo<R>},
    KindDef{NK_POS,
            "P",
            "Pos",
            {{port::POSITION, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}},
            evaluatePosition<R>},
    KindDef{NK_ROT,
            "R",
            "Rot",
            {{port::ROTATION, CT_VECTOR}, {port::H, CT_SCALAR}, {port::P, CT_SCALAR}, {port::B, CT_SCALAR}},
            evaluateRotation<R>},
    KindDef{NK_SCL,
            "S",
            "Scl",
            {{port::SCALE, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}},
            evaluateScale<R>},
    KindDef{NK_WPOS,
            "WP",
            "WPos",
            {{port::WORLD_POS, CT_VECTOR}, {port::X, CT_SCALAR}, {port::Y, CT_SCALAR}, {port::Z, CT_SCALAR}},
            evaluateWorldPosition<R>},
    KindDef{NK_WROT,
            "WR",
            "WRot",
            {{port::WORLD_ROT, CT_VECTOR}, {port::H, CT_SCALAR}, {port::P, CT_SCALAR}, {port::B, CT_SCALAR}},
            evaluateWorldRotation<R>},
    KindDef{NK_MXW,
            "MW",
            "MxW",
            {{port::WORLD_RIGHT, CT_VECTOR}, {port::WORLD_UP, CT_VECTOR}, {port::WORLD_FORWARD, CT_VECTOR}},
            evaluateAxesRows<R>},
    KindDef{NK_MX,
            "MX",
            "Mx",
            {{port::LOCAL_RIGHT, CT_VECTOR}, {port::UP, CT_VECTOR}, {port::LOCAL_FORWARD, CT_VECTOR}},
            evaluateOrientationRows<R>},
};

inline constexpr std::size_t NODE_KINDS = kindTable<ItemInfoInstance>.size();

consteval bool kindsInOrderWithNamesOfTheirOwn() {
  const auto& rows = kindTable<ItemInfoInstance>;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (rows[k].kind != static_cast<NodeKind>(k)) return false;
    for (std::size_t j = 0; j < k; ++j) {
      if (std::string_view(rows[j].serverSuffix) == rows[k].serverSuffix) return false;
      if (std::string_view(rows[j].name) == rows[k].name) return false;
    }
  }
  return true;
}
static_assert(kindsInOrderWithNamesOfTheirOwn(), "the kind table's rows follow NodeKind, each with names of its own");

template <InstanceRecord R>
consteval bool outputsFitTheRecord() {
  return std::ranges::all_of(kindTable<R>, [](const KindDef& row) {
    return row.outputs.ports().size() <= std::extent_v<decltype(R::outputs)>;
  });
}
static_assert(outputsFitTheRecord<ItemInfoInstance>() && outputsFitTheRecord<BoneInfoInstance>(),
              "a kind has more outputs than its record has slots for");

template <InstanceRecord R>
consteval bool everyOutputHasItsQuantity() {
  for (const KindDef& row : kindTable<R>) {
    const std::span<const PortDef> ports = row.outputs.ports();
    for (const PortDef& port : ports) {
      if (!port.name || !port::outputQuantity(port.name, ports.front().name)) return false;
    }
  }
  return true;
}
static_assert(everyOutputHasItsQuantity<ItemInfoInstance>() && everyOutputHasItsQuantity<BoneInfoInstance>(),
              "every output of the node table needs its quantity in contract/port_names.h");

consteval std::size_t textLength(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

// `first`, `separator` and `second` in one text of N characters with its terminator.
template <std::size_t N>
consteval std::array<char, N> joined(const char* first, const char* separator, const char* second) {
  std::array<char, N> text{};
  std::size_t n = 0;
  for (const char* part : {first, separator, second}) {
    for (std::size_t i = 0; part[i] != '\0'; ++i) text[n++] = part[i];
  }
  return text;
}

// The server and user names of the node of `families[F]` and kind K.
template <std::size_t F, std::size_t K>
struct NodeNames {
  static constexpr const char* serverPrefix = families[F].serverPrefix;
  static constexpr const char* userPrefix = families[F].userPrefix;
  static constexpr const char* serverSuffix = kindTable<ItemInfoInstance>[K].serverSuffix;
  static constexpr const char* kindName = kindTable<ItemInfoInstance>[K].name;

  static constexpr auto server =
      joined<textLength(serverPrefix) + textLength(serverSuffix) + 1>(serverPrefix, "", serverSuffix);
  static constexpr auto user = joined<textLength(userPrefix) + 1 + textLength(kindName) + 1>(userPrefix, " ", kindName);
};

// A node as the host lists it: one per family and kind.
struct NodeDef {
  Family family;
  NodeKind kind;
  const char* serverName;
  const char* userName;
  const char* menuGroup;
};

template <std::size_t... I>
consteval auto makeNodeTable(std::index_sequence<I...>) {
  return std::array<NodeDef, sizeof...(I)>{{
      {families[I / NODE_KINDS].family, static_cast<NodeKind>(I % NODE_KINDS),
       NodeNames<I / NODE_KINDS, I % NODE_KINDS>::server.data(), NodeNames<I / NODE_KINDS, I % NODE_KINDS>::user.data(),
       families[I / NODE_KINDS].menuGroup}...,
  }};
}

// Every node, family by family and kind by kind: the order of the server table.
inline constexpr auto nodeTable = makeNodeTable(std::make_index_sequence<families.size() * NODE_KINDS>{});

}  // namespace kv
