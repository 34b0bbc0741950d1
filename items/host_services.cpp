// SPDX-License-Identifier: MIT
#include "items/host_services.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kv {
namespace {

constexpr HostServices NO_SERVICES{};

// Room for every table a session can make from constant service pointers
// (node, item and panel services each found or not yet), many times over.
constexpr std::size_t TABLE_SLOTS = 32;

// Written by activations alone; a slot is filled before it is first published
// and never written again.
std::array<HostServices, TABLE_SLOTS> tables;
std::size_t tablesUsed = 0;

// The product info and the system ID are values handed back in place of a pointer.
std::uint32_t lookupValue(GlobalLookup global, const char* name) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(global(name, 0)));
}

template <class T>
bool lookupInto(GlobalLookup global, const char* name, T& member) {
  member = reinterpret_cast<T>(global(name, 0));
  return member != nullptr;
}

int published(const HostServices& services) { return publishHostServices(services) ? AFUNC_OK : AFUNC_BADGLOBAL; }

}  // namespace

std::atomic<const HostServices*> currentHostServices{&NO_SERVICES};

bool publishHostServices(const HostServices& services) noexcept {
  for (std::size_t i = 0; i < tablesUsed; ++i) {
    if (tables[i] == services) {
      currentHostServices.store(&tables[i], std::memory_order_release);
      return true;
    }
  }
  if (tablesUsed == tables.size()) return false;
  HostServices& slot = tables[tablesUsed++];
  slot = services;
  currentHostServices.store(&slot, std::memory_order_release);
  return true;
}

int acquireHostServices(GlobalLookup global) noexcept {
  HostServices s = hostServices();
  const unsigned build = hostBuild(lookupValue(global, PRODUCT_INFO_SERVICE));
  if (!lookupInto(global, NODE_FUNCS_SERVICE, s.nodeFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, nameForBuild(OUTPUT_FUNCS_NAMES, build), s.outputFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, nameForBuild(INPUT_FUNCS_NAMES, build), s.inputFuncs)) return AFUNC_BADGLOBAL;
  if (!s.instanceUpdate && !lookupInto(global, INSTANCE_UPDATE_SERVICE, s.instanceUpdate)) return AFUNC_BADGLOBAL;
  if (lookupValue(global, SYSTEM_ID_SERVICE) & SYSTEM_ID_NO_ITEM_INFO) return published(s);
  lookupInto(global, BONE_INFO_SERVICE, s.boneInfo);
  if (!lookupInto(global, ITEM_INFO_SERVICE, s.itemInfo)) return AFUNC_BADGLOBAL;
  return s.boneInfo ? published(s) : AFUNC_BADGLOBAL;
}

}  // namespace kv
