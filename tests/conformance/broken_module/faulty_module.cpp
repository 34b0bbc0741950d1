// SPDX-License-Identifier: MIT
// A module that hands everything on to the real module but for one fault,
// chosen at build time, for the tests of `scenehost validate`:
//   KV_FAULT_ALLOCATE   every delivered value first allocates on the heap
//   KV_FAULT_NAN        every delivered value is NaN
//   KV_FAULT_LOAD       load reads nothing
//   KV_FAULT_CHANGE_ID  change-ID changes nothing
// The real module is KV_REAL_MODULE_PATH, opened at start-up.
#include <dlfcn.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <utility>

#include "contract/host_api.h"

namespace {

using namespace kv;

constexpr std::size_t MAX_SERVERS = 40;

void* library = nullptr;
const ModuleDescriptor* real = nullptr;
std::array<ServerRecord, MAX_SERVERS + 1> servers{};

struct Passed {
  ActivateFunc activate = nullptr;
  const char* (*load)(Instance, const LoadState*) = nullptr;
  void (*changeId)(Instance, const ItemId*) = nullptr;
};
std::array<Passed, MAX_SERVERS> passed{};

GlobalLookup hostLookup = nullptr;
NodeOutputFuncs outputs{};
void (*hostSetValue)(ValueHandle, const void*) = nullptr;

void* volatile allocated = nullptr;

void setValue(ValueHandle value, const void* data) {
#if defined(KV_FAULT_ALLOCATE)
  allocated = new double[3];
  delete[] static_cast<double*>(allocated);
#elif defined(KV_FAULT_NAN)
  static const double nan[3] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::quiet_NaN()};
  data = nan;
#endif
  hostSetValue(value, data);
}

// The host's services, but for the output functions, whose setValue carries the
// fault. The host hands out one table, taken at the first lookup: later
// activations may run while other threads deliver values through it.
void* lookup(const char* name, int useMode) {
  void* service = hostLookup(name, useMode);
  if (service == nullptr || std::strncmp(name, "NodeOutputFuncs", 15) != 0) return service;
  if (hostSetValue == nullptr) {
    outputs = *static_cast<const NodeOutputFuncs*>(service);
    hostSetValue = outputs.setValue;
    outputs.setValue = setValue;
  }
  return &outputs;
}

template <std::size_t I>
const char* load(Instance instance, const LoadState* state) {
#if defined(KV_FAULT_LOAD)
  (void)instance;
  (void)state;
  return nullptr;
#else
  return passed[I].load(instance, state);
#endif
}

template <std::size_t I>
void changeId(Instance instance, const ItemId* changes) {
#if !defined(KV_FAULT_CHANGE_ID)
  passed[I].changeId(instance, changes);
#else
  (void)instance;
  (void)changes;
#endif
}

template <std::size_t I>
int activate(int version, GlobalLookup global, void* local, void* serverData) {
  hostLookup = global;
  const int result = passed[I].activate(version, global != nullptr ? lookup : nullptr, local, serverData);
  if (result == AFUNC_OK && std::strcmp(servers[I].className, "NodeHandler") == 0) {
    auto* handler = static_cast<NodeHandler*>(local);
    passed[I].load = handler->instance->load;
    handler->instance->load = load<I>;
    if (handler->item) {
      passed[I].changeId = handler->item->changeId;
      handler->item->changeId = changeId<I>;
    }
  }
  return result;
}

template <std::size_t... I>
constexpr std::array<ActivateFunc, MAX_SERVERS> activations(std::index_sequence<I...>) {
  return {activate<I>...};
}

void* startup() {
  library = dlopen(KV_REAL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  real = library ? static_cast<const ModuleDescriptor*>(dlsym(library, "_mod_descrip")) : nullptr;
  if (real == nullptr || real->startup() == nullptr) return nullptr;
  constexpr auto proxies = activations(std::make_index_sequence<MAX_SERVERS>());
  for (std::size_t i = 0; i < MAX_SERVERS && real->servers[i].className; ++i) {
    servers[i] = real->servers[i];
    passed[i].activate = servers[i].activate;
    servers[i].activate = proxies[i];
  }
  return library;
}

void shutdown(void* data) {
  if (real) real->shutdown(data);
  dlclose(library);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const kv::ModuleDescriptor _mod_descrip = {
    kv::DESCRIPTOR_SYNC, kv::DESCRIPTOR_VERSION, kv::DESCRIPTOR_MACHINE, startup, shutdown, servers.data(),
};
