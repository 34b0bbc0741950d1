// The module-wide host service pointers, shared by all instances. Activations
// write them. Only the module's entry points (the functions the host calls)
// read them, each at its start; everything below an entry point receives the
// services it uses as arguments.
#pragma once

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
};

extern HostServices hostServices;

// Looks the node services up into hostServices; AFUNC_OK or AFUNC_BADGLOBAL.
// A failure returns at once, keeping what was stored so far.
int acquireHostServices(GlobalLookup global);

}  // namespace kv
