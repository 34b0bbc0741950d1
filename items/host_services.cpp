#include "items/host_services.h"

#include <cstdint>

namespace kv {

HostServices hostServices;

namespace {

// The product info and the system ID are values handed back in place of a pointer.
std::uint32_t lookupValue(GlobalLookup global, const char* name) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(global(name, 0)));
}

template <class T>
bool lookupInto(GlobalLookup global, const char* name, T& member) {
  member = reinterpret_cast<T>(global(name, 0));
  return member != nullptr;
}

}  // namespace

int acquireHostServices(GlobalLookup global) {
  HostServices& s = hostServices;
  const unsigned build = hostBuild(lookupValue(global, PRODUCT_INFO_SERVICE));
  if (!lookupInto(global, NODE_FUNCS_SERVICE, s.nodeFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, nameForBuild(OUTPUT_FUNCS_NAMES, build), s.outputFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, nameForBuild(INPUT_FUNCS_NAMES, build), s.inputFuncs)) return AFUNC_BADGLOBAL;
  if (!s.instanceUpdate && !lookupInto(global, INSTANCE_UPDATE_SERVICE, s.instanceUpdate)) return AFUNC_BADGLOBAL;
  if (lookupValue(global, SYSTEM_ID_SERVICE) & SYSTEM_ID_NO_ITEM_INFO) return AFUNC_OK;
  lookupInto(global, BONE_INFO_SERVICE, s.boneInfo);
  if (!lookupInto(global, ITEM_INFO_SERVICE, s.itemInfo)) return AFUNC_BADGLOBAL;
  return s.boneInfo ? AFUNC_OK : AFUNC_BADGLOBAL;
}

}  // namespace kv
