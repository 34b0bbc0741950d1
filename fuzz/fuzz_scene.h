// SPDX-License-Identifier: MIT
// The small scene the fuzz targets run over: two objects in a hierarchy with
// bones, a light and a camera hanging off them, awkward transforms (zero and
// negative scale, a quarter-turn pitch, huge offsets), names that are long,
// empty or look like format directives, and colours of every kind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/scene.h"

namespace kv::fuzz {

// Every item of a new fuzz scene, objects first; bones last.
inline std::vector<ItemId> buildFuzzScene(host::Scene& scene) {
  const ItemId body = scene.addObject("Body");
  const ItemId arm = scene.addObject(std::string(100, 'A'), body);
  const ItemId empty = scene.addObject("");
  const ItemId light = scene.addLight("%s%n%x", arm);
  const ItemId camera = scene.addCamera("Cam");
  const ItemId root = scene.addBone(body, "Root");
  const ItemId tip = scene.addBone(body, "Tip", root);
  const ItemId elbow = scene.addBone(arm, "Elbow\xC3\xA9");
  scene.setParent(camera, tip);

  scene.setParam(body, PARAM_POSITION, {1.0, 2.0, 3.0});
  scene.setParam(body, PARAM_ROTATION, {0.3, -0.2, 0.1});
  scene.setParam(body, PARAM_SCALING, {1.0, 2.0, -0.5});
  scene.setParam(body, PARAM_PIVOT, {0.1, 0.0, -0.2});
  scene.setParam(body, PARAM_PIVOT_ROTATION, {0.0, 0.5, 0.0});
  scene.setParam(arm, PARAM_ROTATION, {0.0, 1.5707963267948966, 0.0});
  scene.setParam(arm, PARAM_SCALING, {0.0, 1.0, 1.0});
  scene.setParam(empty, PARAM_POSITION, {1e300, -1e300, 0.0});
  scene.setParam(light, PARAM_POSITION, {0.0, 0.0, 5.0});
  scene.setRest(root, PARAM_POSITION, {0.0, 1.0, 0.0});
  scene.setRest(tip, PARAM_ROTATION, {0.1, 0.2, 0.3});
  scene.setParam(tip, PARAM_ROTATION, {3.0, -1.0, 2.0});
  scene.setRest(elbow, PARAM_ROTATION, {0.0, -1.5707963267948966, 0.0});

  scene.setColor(body, 3);
  scene.setColor(arm, 15);
  scene.setColor(empty, 0xFFFFFFFF);
  scene.setColor(light, 0x1000005);
  scene.setColor(elbow, 14);
  return {body, arm, empty, light, camera, root, tip, elbow};
}

// The list number of `id` in `scene`, counted here from the host's lists:
// objects, lights, cameras with one running count; a bone among its owner's
// bones; 0 for anything not found.
inline std::int32_t expectedItemNumber(const host::Scene& scene, ItemId id) {
  const auto place = [](const std::vector<ItemId>& list, ItemId wanted) -> std::int32_t {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i] == wanted) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
  };
  if (id == 0) return 0;
  const auto objects = static_cast<std::int32_t>(scene.list(IT_OBJECT).size());
  const auto lights = static_cast<std::int32_t>(scene.list(IT_LIGHT).size());
  switch (host::itemTypeOf(id)) {
    case IT_OBJECT:
      return place(scene.list(IT_OBJECT), id);
    case IT_BONE:
      return place(scene.list(IT_BONE, host::boneOwner(id)), id);
    case IT_LIGHT: {
      const std::int32_t at = place(scene.list(IT_LIGHT), id);
      return at ? objects + at : 0;
    }
    default: {
      const std::int32_t at = place(scene.list(IT_CAMERA), id);
      return at ? objects + lights + at : 0;
    }
  }
}

}  // namespace kv::fuzz
