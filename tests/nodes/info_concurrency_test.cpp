// SPDX-License-Identifier: MIT
// One Info instance evaluated from several threads at once, as a renderer does.
// Only meaningful under ThreadSanitizer, where a race on the caches fails the
// run; elsewhere it still checks the values and the walk count.
#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "node_fixture.h"
#include "nodes/instance.h"

namespace kv::test {
namespace {

constexpr int THREADS = 4;
constexpr int STEPS = 40;
constexpr auto BONE_OUTPUTS = static_cast<std::size_t>(BONE_INFO_OUTPUTS);
constexpr std::size_t REQUESTS = 2 * BONE_OUTPUTS;  // every output twice per thread and step

// The record field a cached output is delivered from; null for the others.
const double* cacheField(const BoneInfoInstance& r, std::size_t output) {
  using enum InfoOutput;
  const InfoOutput role = boneInfoOutputs[output].role;
  switch (role) {
    case WorldPos:
      return r.worldPos.data();
    case WorldRot:
      return r.worldRot.data();
    case Right:
    case Up:
    case Forward:
      return r.orientation.row(static_cast<int>(role) - static_cast<int>(Right));
    case WorldRight:
    case WorldUp:
    case WorldForward:
      return r.axes.row(static_cast<int>(role) - static_cast<int>(WorldRight));
    case RestRot:
      return r.restRot.data();
    default:
      return nullptr;
  }
}

struct Request {
  OutputValue delivered;
  std::array<double, 3> field{};  // the cache field read back right after the call
};

class InfoConcurrencyTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    const ItemId rig = scene.addObject("Rig");
    const ItemId upper = scene.addBone(rig, "Upper", rig);
    lower = scene.addBone(rig, "Lower", upper);
    for (ItemId id : {rig, upper, lower}) {
      scene.setParamKeys(id, PARAM_POSITION, {{0.0, {0.0, 1.0, 0.0}}, {10.0, {3.0, 2.0, 1.0}}});
      scene.setParamKeys(id, PARAM_ROTATION, {{0.0, {0.0, 0.0, 0.0}}, {10.0, {1.0, 0.5, 0.25}}});
      scene.setParamKeys(id, PARAM_SCALING, {{0.0, {1.0, 1.0, 1.0}}, {10.0, {2.0, 3.0, 4.0}}});
      scene.setParam(id, PARAM_PIVOT, {0.1, 0.2, 0.3});
    }
    scene.setRest(lower, PARAM_ROTATION, {0.5, 0.25, 0.125});
    shared = node("KvI_BONE");
    selectBone(*shared, lower);
  }

  const BoneInfoInstance& record() const { return *reinterpret_cast<const BoneInfoInstance*>(shared->instance()); }

  // Thread t asks for the outputs in its own order.
  static std::size_t outputAt(int thread, std::size_t request) { return (request + 5 * thread) % BONE_OUTPUTS; }

  // Runs STEPS time steps; in each, new-time on this thread, then every worker
  // evaluates every output twice; `check` sees the step's requests. The workers
  // spin rather than block between steps so that they really overlap, and they
  // synchronise only with this thread, never with each other.
  //
  // The host copies a delivered value in one block, which the sanitizer does
  // not check against other threads' writes; reading the cache field back one
  // double at a time makes an unsynchronised fill visible to it.
  template <class Check>
  void runSteps(Check check) {
    std::vector<std::vector<Request>> requests(THREADS, std::vector<Request>(REQUESTS));
    std::atomic<int> released{-1};
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < THREADS; ++t) {
      workers.emplace_back([&, t] {
        for (int step = 0; step < STEPS; ++step) {
          while (released.load(std::memory_order_acquire) < step) std::this_thread::yield();
          for (std::size_t r = 0; r < REQUESTS; ++r) {
            Request& request = requests[t][r];
            request.delivered = shared->evaluate(outputAt(t, r));
            if (const volatile double* field = cacheField(record(), outputAt(t, r))) {
              request.field = {field[0], field[1], field[2]};
            }
          }
          finished.fetch_add(1, std::memory_order_release);
        }
      });
    }
    for (int step = 0; step < STEPS; ++step) {
      shared->newTime(step, 0.25 * step);
      released.store(step, std::memory_order_release);
      while (finished.load(std::memory_order_acquire) < THREADS * (step + 1)) std::this_thread::yield();
      check(step, requests);
    }
    for (std::thread& worker : workers) worker.join();
  }

  ItemId lower = 0;
  std::unique_ptr<HostNode> shared;
};

TEST_F(InfoConcurrencyTest, ThreadsSharingAnInstanceDeliverWhatOneThreadWould) {
  // Recording takes a lock, which would hide races from the sanitizer.
  calls().setEnabled(false);
  auto alone = node("KvI_BONE");
  selectBone(*alone, lower);
  runSteps([&](int step, const std::vector<std::vector<Request>>& requests) {
    alone->newTime(step, 0.25 * step);
    std::vector<OutputValue> expected;
    for (std::size_t i = 0; i < BONE_OUTPUTS; ++i) expected.push_back(alone->evaluate(i));
    for (int t = 0; t < THREADS; ++t) {
      for (std::size_t r = 0; r < REQUESTS; ++r) {
        const std::size_t output = outputAt(t, r);
        const Request& got = requests[t][r];
        ASSERT_EQ(got.delivered.deliveries, 1);
        ASSERT_EQ(got.delivered.vector, expected[output].vector) << "step " << step << " output " << output;
        ASSERT_EQ(got.delivered.integer, expected[output].integer) << "step " << step << " output " << output;
        if (cacheField(record(), output)) {
          ASSERT_EQ(got.field, got.delivered.vector) << "step " << step << " output " << output;
        }
      }
    }
  });
}

TEST_F(InfoConcurrencyTest, ThreadsSharingAnInstanceWalkEachChainOncePerStep) {
  const std::string restRot = "boneInfo.restParam " + host::hexId(lower) + " 5";
  runSteps([&](int step, const std::vector<std::vector<Request>>&) {
    const std::size_t requests = THREADS * 2;  // of each output in the step
    // The world walk is the only one that asks for positions besides "Position".
    EXPECT_EQ(calls().count("itemInfo.param " + host::hexId(lower) + " 1 "), 1 + requests) << step;
    // The two ancestors: scale, rotation and pivot rotation in each of the three
    // walks, position and pivot in the world walk.
    EXPECT_EQ(calls().count("itemInfo.param") - calls().count("itemInfo.param " + host::hexId(lower)),
              2u * (3u * 3u + 2u))
        << step;
    EXPECT_EQ(calls().count(restRot), 1u) << step;
    calls().clear();
  });
}

}  // namespace
}  // namespace kv::test
