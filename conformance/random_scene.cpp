// SPDX-License-Identifier: MIT
#include "conformance/random_scene.h"

#include <iterator>
#include <limits>
#include <numbers>

namespace kv::conformance {

std::int32_t listNumber(const host::Scene& scene, ItemId id) {
  const auto place = [id](const std::vector<ItemId>& list) -> std::int32_t {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i] == id) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
  };
  if (id == 0) return 0;
  const int type = host::itemTypeOf(id);
  if (type == IT_BONE) return place(scene.list(IT_BONE, host::boneOwner(id)));
  std::int32_t before = 0;
  for (int earlier = IT_OBJECT; earlier <= IT_CAMERA; ++earlier) {
    const std::int32_t at = place(scene.list(earlier));
    if (earlier == type) return at ? before + at : 0;
    before += static_cast<std::int32_t>(scene.list(earlier).size());
  }
  return 0;
}

std::vector<ItemId> sceneItems(const host::Scene& scene) {
  std::vector<ItemId> items;
  for (int type : {IT_OBJECT, IT_LIGHT, IT_CAMERA}) {
    const auto& list = scene.list(type);
    items.insert(items.end(), list.begin(), list.end());
  }
  for (ItemId object : scene.list(IT_OBJECT)) {
    const auto& bones = scene.list(IT_BONE, object);
    items.insert(items.end(), bones.begin(), bones.end());
  }
  return items;
}

std::size_t Draw::below(std::size_t bound) {
  if (bound == 0) return 0;
  return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
}

bool Draw::chance(double probability) { return std::bernoulli_distribution(probability)(random_); }

double Draw::uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }

double Draw::finite() {
  constexpr double edges[] = {0.0,
                              -0.0,
                              1.0,
                              -1.0,
                              std::numbers::pi / 2,
                              1e-300,
                              -1e-300,
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::min()};
  if (chance(0.25)) return edges[below(std::size(edges))];
  return uniform(-10.0, 10.0);
}

double Draw::edge() {
  constexpr double edges[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              1e300,
                              -1e300,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest()};
  if (chance(0.5)) return edges[below(std::size(edges))];
  return finite();
}

std::int32_t Draw::integer() {
  constexpr std::int32_t edges[] = {
      0, 1, -1, 2, 3, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  if (chance(0.5)) return edges[below(std::size(edges))];
  return static_cast<std::int32_t>(uniform(-40.0, 40.0));
}

namespace {

host::Triple moderate(Draw& draw, double low, double high) {
  return {draw.uniform(low, high), draw.uniform(low, high), draw.uniform(low, high)};
}

void animate(host::Scene& scene, Draw& draw, ItemId id) {
  constexpr double pi = std::numbers::pi;
  scene.setParam(id, PARAM_POSITION, moderate(draw, -10.0, 10.0));
  scene.setParam(id, PARAM_ROTATION, moderate(draw, -pi, pi));
  scene.setParam(id, PARAM_SCALING, moderate(draw, 0.5, 2.0));
  if (draw.chance(0.3)) scene.setParam(id, PARAM_PIVOT, moderate(draw, -1.0, 1.0));
  if (draw.chance(0.3)) scene.setParam(id, PARAM_PIVOT_ROTATION, moderate(draw, -pi, pi));
  if (draw.chance(0.5)) {
    scene.setParamKeys(id, PARAM_POSITION, {{0.0, moderate(draw, -5.0, 5.0)}, {10.0, moderate(draw, -5.0, 5.0)}});
    scene.setParamKeys(id, PARAM_ROTATION, {{-1.0, moderate(draw, -pi, pi)}, {4.0, moderate(draw, -pi, pi)}});
  }
}

}  // namespace

void buildRandomScene(host::Scene& scene, Draw& draw, int objects) {
  std::vector<ItemId> parents;  // earlier items that others may hang off
  const auto anyParent = [&]() { return parents.empty() || draw.chance(0.3) ? ItemId{0} : draw.pick(parents); };
  for (int i = 0; i < objects; ++i) {
    const ItemId object = scene.addObject("Object " + std::to_string(i), anyParent());
    animate(scene, draw, object);
    parents.push_back(object);
    std::vector<ItemId> bones;
    const std::size_t boneCount = draw.below(4);
    for (std::size_t b = 0; b < boneCount; ++b) {
      const ItemId parent = bones.empty() || draw.chance(0.3) ? object : draw.pick(bones);
      const ItemId bone = scene.addBone(object, "Bone " + std::to_string(b), parent);
      animate(scene, draw, bone);
      scene.setRest(bone, PARAM_POSITION, moderate(draw, -2.0, 2.0));
      scene.setRest(bone, PARAM_ROTATION, moderate(draw, -std::numbers::pi, std::numbers::pi));
      bones.push_back(bone);
    }
  }
  for (int i = 0; i < 1 + objects / 3; ++i) {
    const ItemId light = scene.addLight("Light " + std::to_string(i), anyParent());
    animate(scene, draw, light);
    const ItemId camera = scene.addCamera("Camera " + std::to_string(i), anyParent());
    animate(scene, draw, camera);
    parents.push_back(light);
    parents.push_back(camera);
  }
}

}  // namespace kv::conformance
