// SPDX-License-Identifier: MIT
// The threads group: several threads evaluate every output of shared
// instances at once, time step after time step, with the settings fixed, while
// one more activates every server over and over, as a host's interface thread
// does when the user adds nodes during a render, some activations missing a
// service. Every value must equal what a second set of instances, evaluated on
// one thread, delivers. Run under ThreadSanitizer this also finds races on the
// caches and on the module's services.
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/random_scene.h"

namespace kv::conformance {
namespace {

constexpr int THREADS = 6;

struct Delivered {
  int deliveries = 0;
  std::array<std::uint64_t, 3> vector{};
  std::uint64_t scalar = 0;
  std::int32_t integer = 0;

  bool operator==(const Delivered&) const = default;
};

Delivered delivered(const host::OutputValue& value) {
  return {value.deliveries, std::bit_cast<std::array<std::uint64_t, 3>>(value.vector),
          std::bit_cast<std::uint64_t>(value.scalar), value.integer};
}

// The same node twice: one shared by the threads, one evaluated alone.
struct NodePair {
  std::unique_ptr<host::HostNode> shared;
  std::unique_ptr<host::HostNode> alone;
  std::size_t outputs = 0;
};

// Lets the threads start at once. Not std::latch: without futexes, as in the
// Windows build, libstdc++ 12 waits on atomics through a pool of its own, and
// there the threads were seen to wait for ever.
class StartingGate {
 public:
  explicit StartingGate(int threads) : waiting_(threads) {}

  void arriveAndWait() {
    std::unique_lock lock(mutex_);
    if (--waiting_ == 0) {
      opened_.notify_all();
    } else {
      opened_.wait(lock, [this] { return waiting_ == 0; });
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  int waiting_;
};

// Activates every server, round after round until `stop`: one round with every
// service served, then one for each service withheld in turn and one with no
// lookup function at all. Runs on a thread of its own, the only one that uses
// the host's lookup.
class Activator {
 public:
  Activator(host::ServiceHost& host, const host::LoadedModule& module) : host_(host), module_(module) {
    const unsigned build = hostBuild(host.productInfo());
    missing_ = {"",
                NODE_FUNCS_SERVICE,
                nameForBuild(OUTPUT_FUNCS_NAMES, build),
                nameForBuild(INPUT_FUNCS_NAMES, build),
                ITEM_INFO_SERVICE,
                BONE_INFO_SERVICE,
                PANEL_SERVICE,
                nullptr};
  }

  void run(const std::atomic<bool>& stop) {
    do {
      for (const char* service : missing_) {
        if (service != nullptr && *service != '\0') host_.withhold(service);
        const GlobalLookup lookup = service != nullptr ? host::ServiceHost::lookup() : nullptr;
        for (const host::ServerInfo& server : module_.servers()) {
          activateServer(server, lookup);
        }
        host_.restoreAll();
      }
    } while (!stop.load(std::memory_order_acquire));
  }

 private:
  host::ServiceHost& host_;
  const host::LoadedModule& module_;
  std::array<const char*, 8> missing_{};  // "": none withheld; null: no lookup function
};

}  // namespace

void validateThreads(ValidateContext& context) {
  std::mt19937_64 random = context.random("threads");
  Draw draw(random);
  host::Scene scene;
  buildRandomScene(scene, draw, 8);
  const std::vector<ItemId> items = sceneItems(scene);
  host::ServiceHost host(scene);
  host.calls().setEnabled(false);  // the record's lock would order the threads

  Tally made;
  std::vector<NodePair> pairs;
  for (const std::string& server : nodeServers(*context.module)) {
    for (int copy = 0; copy < 2; ++copy) {
      std::string error;
      NodePair pair{tryNode(host, *context.module, server, error), tryNode(host, *context.module, server, error)};
      const std::optional<NodeSettings> fresh = pair.shared && pair.alone ? nodeSettings(*pair.shared) : std::nullopt;
      if (!made.record(fresh.has_value(), [&] { return server + ": " + error; })) continue;
      NodeSettings settings = *fresh;
      const ItemId item = draw.pick(items);
      chooseItem(settings, item);
      settings.mode = static_cast<std::int32_t>(draw.below(3));
      settings.time = draw.uniform(0.0, 10.0);
      const double offset = draw.uniform(-1.0, 1.0);
      const bool timeInput = draw.chance(0.5);
      for (host::HostNode* node : {pair.shared.get(), pair.alone.get()}) {
        node->load(settingsState(settings));
        if (timeInput) node->connectFunction("Time", [offset](const host::NodalContext& c) { return c.time + offset; });
      }
      pair.outputs = pair.shared->outputs().size();
      pairs.push_back(std::move(pair));
    }
  }
  made.report(context.report, "threads: nodes", "two instances of every node", "node");

  Tally same;
  Activator activator(host, *context.module);
  const int steps = 10 * context.scale();
  for (int step = 0; step < steps && !pairs.empty(); ++step) {
    const double time = draw.uniform(-1.0, 11.0);
    std::vector<std::vector<Delivered>> reference;
    for (NodePair& pair : pairs) {
      pair.alone->newTime(step, time);
      pair.shared->newTime(step, time);
      std::vector<Delivered>& values = reference.emplace_back();
      for (std::size_t output = 0; output < pair.outputs; ++output)
        values.push_back(delivered(pair.alone->evaluate(output)));
    }
    // Each thread asks for every output twice, in an order of its own.
    std::vector<std::vector<std::vector<Delivered>>> seen(THREADS);
    StartingGate start(THREADS + 1);
    std::atomic<bool> evaluated{false};
    std::thread activating([&] {
      start.arriveAndWait();
      activator.run(evaluated);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
      seen[t].resize(pairs.size());
      threads.emplace_back([&, t] {
        start.arriveAndWait();
        for (int pass = 0; pass < 2; ++pass) {
          for (std::size_t n = 0; n < pairs.size(); ++n) {
            const std::size_t p = (n * 7 + static_cast<std::size_t>(t)) % pairs.size();
            const std::size_t outputs = pairs[p].outputs;
            seen[t][p].resize(2 * outputs);
            for (std::size_t k = 0; k < outputs; ++k) {
              const std::size_t output =
                  (k + static_cast<std::size_t>(t) * 3 + static_cast<std::size_t>(pass)) % outputs;
              seen[t][p][static_cast<std::size_t>(pass) * outputs + output] =
                  delivered(pairs[p].shared->evaluate(output));
            }
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    evaluated.store(true, std::memory_order_release);
    activating.join();
    for (int t = 0; t < THREADS; ++t) {
      for (std::size_t p = 0; p < pairs.size(); ++p) {
        for (std::size_t request = 0; request < seen[t][p].size(); ++request) {
          const std::size_t output = request % pairs[p].outputs;
          same.record(seen[t][p][request] == reference[p][output] && reference[p][output].deliveries == 1, [&] {
            return pairs[p].shared->serverName() + " output " + std::to_string(output) + " at time " +
                   host::formatDouble(time) + " on thread " + std::to_string(t) + " differs from one thread's";
          });
        }
      }
    }
  }
  std::string name = "threads: ";
  name += std::to_string(THREADS) +
          " threads evaluating shared instances while another activates every server, some without a service";
  same.report(context.report, name, "every value equal to one thread's, bit for bit", "value");
}

}  // namespace kv::conformance
