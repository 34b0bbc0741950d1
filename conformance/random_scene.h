// SPDX-License-Identifier: MIT
// Scenes for the validation groups: random values, random scenes of every
// kind of item, and the items' numbers as the panels list them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "host/scene.h"

namespace kv::conformance {

// The 1-based place of `id` in the lists a panel shows (objects, lights and
// cameras counted on; a bone among its owner's bones); 0 when absent.
std::int32_t listNumber(const host::Scene& scene, ItemId id);

// Every item of the scene: objects, lights, cameras, then bones by owner.
std::vector<ItemId> sceneItems(const host::Scene& scene);

// Random numbers drawn from a generator.
class Draw {
 public:
  explicit Draw(std::mt19937_64& random) : random_(random) {}

  std::size_t below(std::size_t bound);  // 0 .. bound-1; 0 when bound is 0
  bool chance(double probability);
  double uniform(double low, double high);
  double finite();         // moderate values, zeros, small and subnormal numbers
  double edge();           // NaN, infinities, huge, extremes, or finite()
  std::int32_t integer();  // small or extreme
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[below(items.size())];
  }
  std::mt19937_64& generator() { return random_; }

 private:
  std::mt19937_64& random_;
};

// A scene of `objects` objects with lights, cameras and bones, random parents
// (earlier items only, so no cycles) and finite transforms of moderate size.
void buildRandomScene(host::Scene& scene, Draw& draw, int objects);

}  // namespace kv::conformance
