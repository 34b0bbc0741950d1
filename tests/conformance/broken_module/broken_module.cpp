// SPDX-License-Identifier: MIT
// A module that breaks the host's contract on purpose, for the tests of
// `scenehost check`. Built twice:
//   - with KV_BROKEN_SYNC: its descriptor has a wrong synchronisation word;
//   - without: a node server whose activation always fails, a node server with
//     an incomplete tag list whose create registers no inputs, whose
//     evaluation delivers nothing and whose activation ignores missing
//     services, and a panel server without a node server of its name.
#include <cstdint>

#include "contract/host_api.h"

namespace {

using namespace kv;

GlobalLookup lookup = nullptr;
int instance = 0;  // every instance is this one; destroy has nothing to free

int refuse(int, GlobalLookup, void*, void*) { return AFUNC_BADGLOBAL; }

Instance createWithoutInputs(void*, NodeHandle node, const char**) {
  const auto* outputs = static_cast<const NodeOutputFuncs*>(lookup("NodeOutputFuncs", 0));
  if (outputs) outputs->create(node, CT_VECTOR, "Out");
  return reinterpret_cast<Instance>(&instance);
}

void destroy(Instance) {}

void evaluateNothing(Instance, NodalAccess, OutputHandle, ValueHandle) {}

int bindWithoutServices(int, GlobalLookup global, void* local, void*) {
  lookup = global;
  auto* handler = static_cast<NodeHandler*>(local);
  handler->instance->create = createWithoutInputs;
  handler->instance->destroy = destroy;
  handler->evaluate = evaluateNothing;
  return AFUNC_OK;
}

int openNothing(int, GlobalLookup, void*, void*) { return AFUNC_OK; }

const ServerTag completeTags[] = {{"Refuse", 0x00000000}, {"Broken", 0x00070000}, {"All", 0x00080000}, {nullptr, 0}};
const ServerTag tagsWithoutAll[] = {{"No Input", 0x00000000}, {"Broken", 0x00070000}, {nullptr, 0}};

const ServerRecord servers[] = {
    {"NodeHandler", "Bad_REFUSE", refuse, completeTags},
    {"NodeHandler", "Bad_NOINPUT", bindWithoutServices, tagsWithoutAll},
    {"NodeInterface", "Bad_ORPHAN", openNothing, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

void* startup() { return &instance; }
void shutdown(void*) {}

#ifdef KV_BROKEN_SYNC
constexpr std::uint32_t SYNC = 0x12345678;
#else
constexpr std::uint32_t SYNC = kv::DESCRIPTOR_SYNC;
#endif

}  // namespace

extern "C" __attribute__((visibility("default"))) const kv::ModuleDescriptor _mod_descrip = {
    SYNC, kv::DESCRIPTOR_VERSION, kv::DESCRIPTOR_MACHINE, startup, shutdown, servers,
};
