// SPDX-License-Identifier: MIT
// What the groups that run as a class start from: their own random draws, a
// random scene with its items, and a host over that scene that keeps no record
// of calls (a whole run's calls would pile up in it).
#pragma once

#include <random>
#include <string_view>
#include <vector>

#include "conformance/groups.h"
#include "conformance/random_scene.h"
#include "host/services.h"

namespace kv::conformance {

class GroupRun {
 protected:
  GroupRun(ValidateContext& context, std::string_view group, int objects)
      : context_(context), random_(context.random(group)), draw_(random_) {
    buildRandomScene(scene_, draw_, objects);
    items_ = sceneItems(scene_);
    host_.calls().setEnabled(false);
  }

  ValidateContext& context_;
  std::mt19937_64 random_;
  Draw draw_;
  host::Scene scene_;
  std::vector<ItemId> items_;
  host::ServiceHost host_{scene_};
};

}  // namespace kv::conformance
