#include "module/host_services.h"

#include <cstdint>

namespace kv {

HostServices hostServices;

namespace {

// Service names that depend on the host build (bits 4..15 of "Product Info").
const char* outputFuncsName(unsigned build) {
  if (build <= 2237) return "NodeOutputFuncs";
  if (build <= 2722) return "NodeOutputFuncs 2";
  return "NodeOutputFuncs 3";
}

const char* inputFuncsName(unsigned build) {
  if (build <= 1446) return "NodeInputFuncs";
  if (build <= 2237) return "NodeInputFuncs 2";
  if (build <= 2525) return "NodeInputFuncs 3";
  return "NodeInputFuncs 4";
}

// "Product Info" and "System ID" are values handed back in place of a pointer.
std::uint32_t lookupValue(GlobalLookup global, const char* name) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(global(name, 0)));
}

template <class T>
bool lookupInto(GlobalLookup global, const char* name, T& member) {
  member = reinterpret_cast<T>(global(name, 0));
  return member != nullptr;
}

constexpr std::uint32_t SYSTEM_ID_NO_ITEM_INFO = 0x10000000;

}  // namespace

int acquireHostServices(GlobalLookup global) {
  HostServices& s = hostServices;
  const unsigned build = (lookupValue(global, "Product Info") & 0xFFF0) >> 4;
  if (!lookupInto(global, "NodeFuncs", s.nodeFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, outputFuncsName(build), s.outputFuncs)) return AFUNC_BADGLOBAL;
  if (!lookupInto(global, inputFuncsName(build), s.inputFuncs)) return AFUNC_BADGLOBAL;
  if (!s.instanceUpdate && !lookupInto(global, "Instance Update", s.instanceUpdate)) return AFUNC_BADGLOBAL;
  if (lookupValue(global, "System ID") & SYSTEM_ID_NO_ITEM_INFO) return AFUNC_OK;
  lookupInto(global, "LW Bone Info 3", s.boneInfo);
  if (!lookupInto(global, "LW Item Info 4", s.itemInfo)) return AFUNC_BADGLOBAL;
  return s.boneInfo ? AFUNC_OK : AFUNC_BADGLOBAL;
}

}  // namespace kv
