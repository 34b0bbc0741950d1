#include "module/activation.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "module/fp_state.h"
#include "module/host_services.h"
#include "nodes/evaluate.h"
#include "nodes/lifecycle.h"
#include "nodes/persistence.h"

namespace kv {
namespace {

// A kind's evaluate function, run in the module's floating-point state.
template <InstanceRecord R, NodeKind K>
void evaluateInDefaultState(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value) noexcept {
  constexpr EvaluateFunc evaluate = evaluateFor<R>(K);
  const DefaultFpState state;
  evaluate(instance, access, output, value);
}

template <InstanceRecord R, std::size_t... K>
constexpr std::array<EvaluateFunc, sizeof...(K)> evaluatesInDefaultState(std::index_sequence<K...>) {
  return {evaluateInDefaultState<R, static_cast<NodeKind>(K)>...};
}

}  // namespace

template <InstanceRecord R>
int familyActivate(GlobalLookup global, NodeHandler* handler, NodeKind kind) noexcept {
  if (global == nullptr || handler == nullptr) return AFUNC_BADGLOBAL;
  if (acquireHostServices(global) != AFUNC_OK) return AFUNC_BADGLOBAL;

  NodeInstanceFuncs& instance = *handler->instance;
  instance.priv = reinterpret_cast<void*>(static_cast<std::intptr_t>(kind));
  instance.create = kind == NK_INFO ? createInfo<R> : createSingle<R>;
  static constexpr auto evaluates = evaluatesInDefaultState<R>(std::make_index_sequence<NK_MX + 1>{});
  handler->evaluate = evaluates[kind];
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
