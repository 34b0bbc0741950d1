// SPDX-License-Identifier: MIT
// The allocations group: evaluation never allocates. First it proves that
// the counter sees allocations at all, a deliberate one of the program's and
// the module's own in create, so that a count of zero means something (on
// Windows, where the module allocates through its own C runtime imports too).
#include <memory>
#include <string>
#include <vector>

#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"
#include "host/allocation_counter.h"
#include "host/module_allocations.h"

namespace kv::conformance {
namespace {

// Where the deliberate allocation goes, so that it cannot be optimised away.
void* volatile deliberate = nullptr;

}  // namespace

void validateAllocations(ValidateContext& context) {
  CheckReport& report = context.report;
  std::mt19937_64 random = context.random("allocations");
  Draw draw(random);
  host::Scene scene;
  buildRandomScene(scene, draw, 6);
  const std::vector<ItemId> items = sceneItems(scene);
  host::ServiceHost host(scene);
  host.calls().setEnabled(false);  // the record allocates its entries
  const host::ModuleAllocations moduleAllocations(*context.module);

  host::AllocationCounter::arm();
  deliberate = ::operator new(24);
  host::AllocationCounter::disarm();
  ::operator delete(deliberate);
  const std::size_t own = host::AllocationCounter::all();
  report.check(own == 1, "allocations: the counter counts", "1 allocation counted for 1 made",
               std::to_string(own) + " counted");

  Tally creates, evaluations;
  const std::vector<std::string> servers = nodeServers(*context.module);
  for (int round = 0; round < context.scale(); ++round) {
    for (const std::string& server : servers) {
      std::string error;
      host::AllocationCounter::arm();
      const auto node = tryNode(host, *context.module, server, error);
      host::AllocationCounter::disarm();
      const std::size_t aligned = host::AllocationCounter::aligned();
      creates.record(node && aligned >= 1, [&] {
        return server + ": " + (node ? std::to_string(aligned) + " over-aligned allocations" : error);
      });
      const std::optional<NodeSettings> fresh = node ? nodeSettings(*node) : std::nullopt;
      if (!fresh) continue;
      NodeSettings settings = *fresh;
      const ItemId item = draw.pick(items);
      chooseItem(settings, item);
      settings.mode = static_cast<std::int32_t>(draw.below(3));
      settings.time = draw.uniform(0.0, 10.0);
      node->load(settingsState(settings));
      if (draw.chance(0.5)) node->connectScalar("Time", draw.uniform(0.0, 10.0));
      if (draw.chance(0.3)) node->connectInteger("Item", static_cast<std::int32_t>(draw.pick(items)));
      const std::size_t outputs = node->outputs().size();
      for (int step = 0; step < 3; ++step) {
        node->newTime(step, draw.uniform(-1.0, 11.0));
        // Twice: once filling the caches, once reading them.
        host::AllocationCounter::arm();
        for (int pass = 0; pass < 2; ++pass) {
          for (std::size_t output = 0; output < outputs; ++output) node->evaluate(output);
        }
        host::AllocationCounter::disarm();
        const std::size_t made = host::AllocationCounter::all();
        evaluations.record(made == 0, [&] {
          return server + " on " + stateText(settingsState(settings)) + " at step " + std::to_string(step) + ": " +
                 std::to_string(made) + " allocations";
        });
      }
    }
  }
  creates.report(report, "allocations: the counter sees the module's allocations",
                 "create making its instance record through an over-aligned allocation", "create");
  evaluations.report(report, "allocations: evaluation", "no heap allocation while evaluating every output",
                     "time step");
}

}  // namespace kv::conformance
