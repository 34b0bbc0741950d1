// SPDX-License-Identifier: MIT
#include "module/activation.h"

#include <cstdint>

#include "items/host_services.h"
#include "nodes/lifecycle.h"
#include "nodes/node_table.h"
#include "nodes/persistence.h"

namespace kv {

template <InstanceRecord R>
int familyActivate(GlobalLookup global, NodeHandler* handler, NodeKind kind) noexcept {
  if (global == nullptr || handler == nullptr) return AFUNC_BADGLOBAL;
  if (acquireHostServices(global) != AFUNC_OK) return AFUNC_BADGLOBAL;

  NodeInstanceFuncs& instance = *handler->instance;
  instance.priv = reinterpret_cast<void*>(static_cast<std::intptr_t>(kind));
  instance.create = kind == NK_INFO ? createInfo<R> : createSingle<R>;
  handler->evaluate = kindTable<R>[kind].evaluate;
  instance.destroy = destroyInstance<R>;
  instance.copy = copyInstance<R>;
  instance.load = loadInstance<R>;
  instance.save = saveInstance<R>;
  instance.describeLine = describeLine;

  if (NodeItemFuncs* item = handler->item) {
    item->useItems = useItems<R>;
    item->changeId = changeIds<R>;
  }

  NodeRenderFuncs& render = *handler->render;
  render.init = initInstance;
  render.cleanup = cleanupInstance;
  render.newTime = newTime<R>;
  return AFUNC_OK;
}

template int familyActivate<ItemInfoInstance>(GlobalLookup, NodeHandler*, NodeKind) noexcept;
template int familyActivate<BoneInfoInstance>(GlobalLookup, NodeHandler*, NodeKind) noexcept;

}  // namespace kv
