// SPDX-License-Identifier: MIT
// Compile-time pins of every host-visible layout. On the 32-bit targets each
// operation must sit at the byte offset the host reads it from; elsewhere the
// same slot order holds with pointer-sized slots.
#include <cstddef>

#include "contract/host_api.h"

namespace kv {
namespace {

constexpr std::size_t slot(std::size_t offset32) { return offset32 / 4 * sizeof(void*); }

#define KV_AT(type, member, offset32) static_assert(offsetof(type, member) == slot(offset32), #type "::" #member)

KV_AT(ItemInfoService, first, 0x00);
KV_AT(ItemInfoService, next, 0x04);
KV_AT(ItemInfoService, parent, 0x10);
KV_AT(ItemInfoService, name, 0x20);
KV_AT(ItemInfoService, param, 0x24);
KV_AT(BoneInfoService, restParam, 0x04);
KV_AT(NodeFuncs, setNodeColor, 0x0C);
KV_AT(NodeFuncs, setNodeOption, 0x14);
KV_AT(NodeInputFuncs, create, 0x00);
KV_AT(NodeInputFuncs, evaluate, 0x08);
KV_AT(NodeInputFuncs, isConnected, 0x0C);
KV_AT(NodeOutputFuncs, create, 0x00);
KV_AT(NodeOutputFuncs, setValue, 0x08);
KV_AT(PanelFuncs, create, 0x08);
KV_AT(PanelFuncs, destroy, 0x0C);
KV_AT(PanelFuncs, describe, 0x10);
KV_AT(PanelFuncs, hint, 0x14);
KV_AT(PanelFuncs, getData, 0x18);
KV_AT(PanelFuncs, setData, 0x1C);
KV_AT(PanelFuncs, viewInstance, 0x28);
KV_AT(PanelFuncs, refresh, 0x2C);
KV_AT(SaveState, data, 0x04);
KV_AT(SaveState, writeI4, 0x14);
KV_AT(SaveState, writeU4, 0x20);
KV_AT(SaveState, beginBlock, 0x30);
KV_AT(SaveState, endBlock, 0x34);
KV_AT(SaveState, writeDP, 0x3C);
KV_AT(LoadState, data, 0x04);
KV_AT(LoadState, readI4, 0x14);
KV_AT(LoadState, readU4, 0x20);
KV_AT(LoadState, findBlock, 0x30);
KV_AT(LoadState, endBlock, 0x34);
KV_AT(LoadState, readDP, 0x3C);
KV_AT(NodeInstanceFuncs, priv, 0x00);
KV_AT(NodeInstanceFuncs, create, 0x04);
KV_AT(NodeInstanceFuncs, destroy, 0x08);
KV_AT(NodeInstanceFuncs, copy, 0x0C);
KV_AT(NodeInstanceFuncs, load, 0x10);
KV_AT(NodeInstanceFuncs, save, 0x14);
KV_AT(NodeInstanceFuncs, describeLine, 0x18);
KV_AT(NodeItemFuncs, useItems, 0x00);
KV_AT(NodeItemFuncs, changeId, 0x04);
KV_AT(NodeRenderFuncs, init, 0x00);
KV_AT(NodeRenderFuncs, cleanup, 0x04);
KV_AT(NodeRenderFuncs, newTime, 0x08);
KV_AT(NodeHandler, instance, 0x00);
KV_AT(NodeHandler, item, 0x04);
KV_AT(NodeHandler, render, 0x08);
KV_AT(NodeHandler, evaluate, 0x0C);
KV_AT(NodeInterfaceRecord, instance, 0x00);
KV_AT(NodeInterfaceRecord, panel, 0x04);
KV_AT(NodeInterfaceRecord, reserved08, 0x08);
KV_AT(ServerRecord, className, 0x00);
KV_AT(ServerRecord, name, 0x04);
KV_AT(ServerRecord, activate, 0x08);
KV_AT(ServerRecord, tags, 0x0C);
KV_AT(PanelControl, label, 0x04);
KV_AT(PanelControl, controlClass, 0x08);
KV_AT(PanelDataDesc, name, 0x04);
KV_AT(PanelDataDesc, dataType, 0x08);

#undef KV_AT

// The interface-info record mixes data and operations: two 32-bit words, then
// the selection pointer, ten further slots, then the item-colour operation.
static_assert(offsetof(InterfaceInfo, selectedItems) == 8);
static_assert(offsetof(InterfaceInfo, itemColor) == 8 + sizeof(void*) * 11);
static_assert(offsetof(BlockIdent, token) == sizeof(void*));
static_assert(offsetof(ServerTag, tag) == sizeof(void*));
// The descriptor: three 32-bit words, then the pointers (aligned to their size).
static_assert(offsetof(ModuleDescriptor, version) == 4 && offsetof(ModuleDescriptor, machine) == 8);
static_assert(offsetof(ModuleDescriptor, startup) == (sizeof(void*) == 4 ? 0x0C : 0x10));
static_assert(offsetof(ModuleDescriptor, servers) == offsetof(ModuleDescriptor, startup) + 2 * sizeof(void*));
static_assert(sizeof(PanelHint) == sizeof(void*));
// Handles are distinct types of one size: the pointer the other side handed out.
static_assert(sizeof(NodeHandle) == sizeof(void*) && sizeof(InputHandle) == sizeof(void*) &&
              sizeof(OutputHandle) == sizeof(void*) && sizeof(ValueHandle) == sizeof(void*) &&
              sizeof(NodalAccess) == sizeof(void*) && sizeof(PanelHandle) == sizeof(void*) &&
              sizeof(Instance) == sizeof(void*));

// The sizes the 32-bit host walks records and tables by.
static_assert(sizeof(void*) != 4 ||
              (sizeof(ServerRecord) == 16 && sizeof(ServerTag) == 8 && sizeof(ModuleDescriptor) == 24 &&
               sizeof(NodeHandler) == 16 && sizeof(PanelControl) == 12 && sizeof(PanelDataDesc) == 12 &&
               sizeof(BlockIdent) == 8 && sizeof(InterfaceInfo) == 0x38 && sizeof(NodeInterfaceRecord) == 16));

}  // namespace
}  // namespace kv
