// SPDX-License-Identifier: MIT
// A scene whose item-list numbers the tests know: A 1, B 2, C 3, L1 4, L2 5,
// K 6; bones A1 1 and A2 2 of A, B1 1 of B.
#pragma once

#include "host/scene.h"

namespace kv::test {

struct ListedScene {
  host::Scene scene;
  ItemId A = scene.addObject("A");
  ItemId B = scene.addObject("B");
  ItemId C = scene.addObject("C");
  ItemId L1 = scene.addLight("L1");
  ItemId L2 = scene.addLight("L2");
  ItemId K = scene.addCamera("K");
  ItemId A1 = scene.addBone(A, "A1");
  ItemId A2 = scene.addBone(A, "A2");
  ItemId B1 = scene.addBone(B, "B1");
};

}  // namespace kv::test
