// SPDX-License-Identifier: MIT
#include "nodes/lifecycle.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>

#include "items/host_services.h"
#include "items/item_numbering.h"
#include "nodes/cache.h"
#include "nodes/item_refs.h"
#include "nodes/node_table.h"

namespace kv {
namespace {

constexpr int NODE_COLOR[3] = {80, 65, 50};
constexpr int NODE_OPTION = 2;
constexpr std::align_val_t RECORD_ALIGNMENT{16};

template <InstanceRecord R>
R& record(Instance instance) {
  return *reinterpret_cast<R*>(instance);
}

// A zero-filled record on a 16-byte boundary, or null.
template <InstanceRecord R>
R* allocateRecord() noexcept {
  void* memory = ::operator new(sizeof(R), RECORD_ALIGNMENT, std::nothrow);
  return memory ? new (memory) R{} : nullptr;
}

// Colour, option and the two inputs, in the order the host expects them.
template <InstanceRecord R>
void setUpNode(const HostServices& host, R& r, NodeHandle node) noexcept {
  r.node = node;
  if (const NodeFuncs* funcs = host.nodeFuncs) {
    funcs->setNodeColor(node, NODE_COLOR);
    funcs->setNodeOption(node, NODE_OPTION);
  }
  if (const NodeInputFuncs* inputs = host.inputFuncs) {
    r.timeInput = inputs->create(node, CT_SCALAR, port::TIME, inputEvent<R>);
    r.itemInput = inputs->create(node, CT_INTEGER, port::ITEM, inputEvent<R>);
  }
}

// A fresh record set up for `node` with the outputs of `kind` (none without
// one); null and "err" when memory runs out.
template <InstanceRecord R>
Instance makeInstance(const HostServices& host, NodeHandle node, const char** error,
                      std::optional<NodeKind> kind) noexcept {
  R* r = allocateRecord<R>();
  if (r == nullptr) {
    if (error) *error = "err";
    return nullptr;
  }
  setUpNode(host, *r, node);
  if (const NodeOutputFuncs* outputs = host.outputFuncs; outputs != nullptr && kind) {
    int next = 0;
    for (const PortDef& def : kindTable<R>[*kind].outputs.ports()) {
      r->outputs[next++] = outputs->create(node, def.type, def.name);
    }
  }
  return reinterpret_cast<Instance>(r);
}

}  // namespace

template <InstanceRecord R>
Instance createInfo(void*, NodeHandle node, const char** error) noexcept {
  return makeInstance<R>(hostServices(), node, error, NK_INFO);
}

template <InstanceRecord R>
Instance createSingle(void* priv, NodeHandle node, const char** error) noexcept {
  const auto kind = static_cast<NodeKind>(reinterpret_cast<std::intptr_t>(priv));
  // A private value that names no single-value kind makes a node without outputs.
  const bool single = kind > NK_INFO && static_cast<std::size_t>(kind) < NODE_KINDS;
  return makeInstance<R>(hostServices(), node, error, single ? std::optional(kind) : std::nullopt);
}

template <InstanceRecord R>
void destroyInstance(Instance instance) noexcept {
  if (instance == nullptr) return;
  R* r = reinterpret_cast<R*>(instance);
  if (const PanelFuncs* panels = hostServices().panelFuncs; panels != nullptr && r->panel != nullptr) {
    panels->destroy(r->panel);
  }
  r->~R();
  ::operator delete(r, RECORD_ALIGNMENT);
}

template <InstanceRecord R>
const char* copyInstance(Instance to, Instance from) noexcept {
  R& dst = record<R>(to);
  const R& src = record<R>(from);
  if constexpr (R::family == Family::Item) {
    dst.item = src.item;
    dst.itemListNumber = src.itemListNumber;
  } else {
    dst.object = src.object;
    dst.bone = src.bone;
    dst.objectNumber = src.objectNumber;
    dst.boneNumber = src.boneNumber;
  }
  dst.panelTime = src.panelTime;
  dst.timeMode = src.timeMode;
  return nullptr;
}

// The selected item followed by `listEnd`: a one-entry list, or an empty one.
template <InstanceRecord R>
const ItemId* useItems(Instance instance) noexcept {
  return &selectedItem(record<R>(instance));
}

template <InstanceRecord R>
void changeIds(Instance instance, const ItemId* changes) noexcept {
  R& r = record<R>(instance);
  const auto refs = itemRefs(r);
  const HostServices& host = hostServices();
  // The open panel reads its values again once for every replaced reference.
  for (int replaced = remapItemIds(host.itemInfo, refs, changes); replaced > 0; --replaced) {
    if (r.panel != nullptr && host.panelFuncs != nullptr) host.panelFuncs->refresh(r.panel);
  }
}

template <InstanceRecord R>
const char* newTime(Instance instance, int, double time) noexcept {
  R& r = record<R>(instance);
  clearCaches(r);
  r.currentTime = time;
  return nullptr;
}

template <InstanceRecord R>
int inputEvent(Instance instance, InputHandle, int) noexcept {
  const R& r = record<R>(instance);
  if (const PanelFuncs* panels = hostServices().panelFuncs; panels != nullptr && r.panel != nullptr) {
    panels->refresh(r.panel);
  }
  return 1;
}

const char* describeLine(Instance) noexcept { return ""; }
const char* initInstance(Instance, int) noexcept { return nullptr; }
void cleanupInstance(Instance) noexcept {}

#define KV_INSTANTIATE(R)                                                      \
  template Instance createInfo<R>(void*, NodeHandle, const char**) noexcept;   \
  template Instance createSingle<R>(void*, NodeHandle, const char**) noexcept; \
  template void destroyInstance<R>(Instance) noexcept;                         \
  template const char* copyInstance<R>(Instance, Instance) noexcept;           \
  template const ItemId* useItems<R>(Instance) noexcept;                       \
  template void changeIds<R>(Instance, const ItemId*) noexcept;                \
  template const char* newTime<R>(Instance, int, double) noexcept;             \
  template int inputEvent<R>(Instance, InputHandle, int) noexcept;
KV_INSTANTIATE(ItemInfoInstance)
KV_INSTANTIATE(BoneInfoInstance)
#undef KV_INSTANTIATE

}  // namespace kv
