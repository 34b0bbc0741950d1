// SPDX-License-Identifier: MIT
// The module-wide host services, shared by all instances. Activations publish
// them; only the module's entry points (the functions the host calls) read
// them, each once at its start, and pass the services they use down as
// arguments, so that one call works with one activation's services to its end.
//
// Activations run on the host's interface thread, one at a time, while render
// threads may be evaluating. A published table is never written again: each
// is kept in a slot of its own and handed out through one atomic pointer, so
// readers take no lock and see one whole table. Hosts hand out the same
// service pointers every time, so a few tables are all a session makes.
#pragma once

#include <atomic>

#include "contract/host_api.h"

namespace kv {

struct HostServices {
  const NodeFuncs* nodeFuncs = nullptr;
  const NodeOutputFuncs* outputFuncs = nullptr;
  const NodeInputFuncs* inputFuncs = nullptr;
  InstanceUpdateFunc instanceUpdate = nullptr;  // looked up once, then kept
  const BoneInfoService* boneInfo = nullptr;
  const ItemInfoService* itemInfo = nullptr;  // may stay null: callers check it
  const PanelFuncs* panelFuncs = nullptr;     // set by panel activations
  GlobalLookup globalLookup = nullptr;        // set by panel activations, for later lookups

  bool operator==(const HostServices&) const = default;
};

// The table in use; written by publishHostServices alone.
extern std::atomic<const HostServices*> currentHostServices;

// The services as the latest successful activation left them; all null before
// the first. The table stays valid and unchanged while the module is loaded.
inline const HostServices& hostServices() noexcept { return *currentHostServices.load(std::memory_order_acquire); }

// Makes `services` the current table. False, changing nothing, only when the
// slots are all taken by other tables: a host that returned new pointers at
// nearly every lookup.
bool publishHostServices(const HostServices& services) noexcept;

// Looks the node services up and publishes them with the rest kept;
// AFUNC_OK or AFUNC_BADGLOBAL. A failure returns at once and publishes nothing.
int acquireHostServices(GlobalLookup global) noexcept;

}  // namespace kv
