// SPDX-License-Identifier: MIT
// The module descriptor the host reads: the only symbol the plug-in file exports.
#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "contract/host_api.h"
#include "module/activation.h"
#include "nodes/node_table.h"
#include "panel/panel_activate.h"

#if defined(_WIN32)
#define KV_EXPORT __declspec(dllexport)
#else
#define KV_EXPORT __attribute__((visibility("default")))
#endif

namespace kv {
namespace {

template <std::size_t I>
using RecordOf = std::conditional_t<nodeTable[I].family == Family::Item, ItemInfoInstance, BoneInfoInstance>;

// One distinct entry point per node server; the host may tell them apart by address.
template <std::size_t I>
int nodeActivate(int, GlobalLookup global, void* local, void*) noexcept {
  return familyActivate<RecordOf<I>>(global, static_cast<NodeHandler*>(local), nodeTable[I].kind);
}

template <std::size_t I>
constexpr ServerTag nodeTags[] = {
    {nodeTable[I].userName, TAG_USER_NAME},
    {nodeTable[I].menuGroup, TAG_MENU_GROUP},
    {TAG_ALL_TEXT, TAG_ALL},
    {nullptr, 0},
};

constexpr ActivateFunc panelActivateOf(Family family) {
  return family == Family::Item ? itemPanelActivate : bonePanelActivate;
}

// The node servers, then their panels under the same names, then the end.
template <std::size_t... I>
constexpr auto makeServerTable(std::index_sequence<I...>) {
  return std::array<ServerRecord, 2 * sizeof...(I) + 1>{{
      {NODE_HANDLER_CLASS, nodeTable[I].serverName, nodeActivate<I>, nodeTags<I>}...,
      {NODE_INTERFACE_CLASS, nodeTable[I].serverName, panelActivateOf(nodeTable[I].family), nullptr}...,
      {nullptr, nullptr, nullptr, nullptr},
  }};
}

constexpr auto serverTable = makeServerTable(std::make_index_sequence<nodeTable.size()>{});

void* startup() { return reinterpret_cast<void*>(std::uintptr_t{4}); }
void shutdown(void*) {}

}  // namespace
}  // namespace kv

extern "C" {
KV_EXPORT kv::ModuleDescriptor _mod_descrip = {
    kv::DESCRIPTOR_SYNC, kv::DESCRIPTOR_VERSION, kv::DESCRIPTOR_MACHINE,
    kv::startup,         kv::shutdown,           kv::serverTable.data(),
};
}
