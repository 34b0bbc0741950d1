// Placeholder until saved state lands: save and load do nothing and succeed.
#include "nodes/persistence.h"

namespace kv {
template <InstanceRecord R> const char* saveInstance(Instance, const SaveState*) noexcept { return nullptr; }
template <InstanceRecord R> const char* loadInstance(Instance, const LoadState*) noexcept { return nullptr; }
template const char* saveInstance<ItemInfoInstance>(Instance, const SaveState*) noexcept;
template const char* saveInstance<BoneInfoInstance>(Instance, const SaveState*) noexcept;
template const char* loadInstance<ItemInfoInstance>(Instance, const LoadState*) noexcept;
template const char* loadInstance<BoneInfoInstance>(Instance, const LoadState*) noexcept;
}  // namespace kv
