// SPDX-License-Identifier: MIT
#include "host/scene.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kv::host {
namespace {

constexpr ItemId MAX_LOW_VALUE = 0xFFFF;
constexpr ItemId MAX_BONE_SERIAL = 0xFFF;

const std::vector<ItemId> EMPTY_LIST;

// What tells an item from the others of its type: a bone's serial, the low 16 bits of any other.
std::size_t serialOf(ItemId id) { return isBone(id) ? (id >> 16) & MAX_BONE_SERIAL : id & MAX_LOW_VALUE; }

ItemId takeValue(ItemId& counter, ItemId limit, const char* what) {
  if (counter > limit) throw std::length_error(std::string("scene: no identifiers left for ") + what);
  return counter++;
}

}  // namespace

void Channel::setConstant(Triple value) {
  constant_ = value;
  keys_.clear();
}

void Channel::setKeys(std::vector<Key> keys) {
  std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.time < b.time; });
  keys_ = std::move(keys);
}

Triple Channel::at(double time) const {
  if (keys_.empty()) return constant_;
  // A NaN time holds the first key too: it would find no key after it below.
  if (!(time > keys_.front().time)) return keys_.front().value;
  if (time >= keys_.back().time) return keys_.back().value;
  // First key strictly after `time`; its predecessor is at or before it.
  auto after =
      std::upper_bound(keys_.begin(), keys_.end(), time, [](double t, const Key& key) { return t < key.time; });
  const Key& a = *(after - 1);
  const Key& b = *after;
  const double f = (time - a.time) / (b.time - a.time);
  Triple out;
  for (int i = 0; i < 3; ++i) out[i] = a.value[i] + (b.value[i] - a.value[i]) * f;
  return out;
}

Channel* Item::channel(int code) { return const_cast<Channel*>(static_cast<const Item*>(this)->channel(code)); }

const Channel* Item::channel(int code) const {
  switch (code) {
    case PARAM_POSITION:
      return &position;
    case PARAM_ROTATION:
      return &rotation;
    case PARAM_SCALING:
      return &scaling;
    case PARAM_PIVOT:
      return &pivot;
    case PARAM_PIVOT_ROTATION:
      return &pivotRotation;
    default:
      return nullptr;
  }
}

ItemId Scene::add(ItemId id, std::string name, ItemId parent) {
  Item& item = items_[id];
  item.id = id;
  item.name = std::move(name);
  item.parent = parent;
  std::vector<ItemId>& list = listOf(id);
  list.push_back(id);
  place(id, list.size() - 1);
  return id;
}

ItemId Scene::addObject(std::string name, ItemId parent) {
  return add(OBJECT_BITS | takeValue(nextObject_, MAX_LOW_VALUE, "objects"), std::move(name), parent);
}

ItemId Scene::addLight(std::string name, ItemId parent) {
  return add(LIGHT_BITS | takeValue(nextLight_, MAX_LOW_VALUE, "lights"), std::move(name), parent);
}

ItemId Scene::addCamera(std::string name, ItemId parent) {
  return add(CAMERA_BITS | takeValue(nextCamera_, MAX_LOW_VALUE, "cameras"), std::move(name), parent);
}

ItemId Scene::addBone(ItemId owner, std::string name, ItemId parent) {
  if (itemTypeOf(owner) != IT_OBJECT || !contains(owner)) {
    throw std::invalid_argument("scene: a bone's owner must be an object of the scene");
  }
  const ItemId serial = takeValue(nextBone_, MAX_BONE_SERIAL, "bones");
  return add(BONE_BITS | (serial << 16) | (owner & OWNER_MASK), std::move(name), parent);
}

std::vector<ItemId>& Scene::listOf(ItemId id) {
  switch (itemTypeOf(id)) {
    case IT_OBJECT:
      return objects_;
    case IT_LIGHT:
      return lights_;
    case IT_CAMERA:
      return cameras_;
    default:
      return bones_[boneOwner(id)];
  }
}

Item& Scene::editable(ItemId id) {
  auto found = items_.find(id);
  if (found == items_.end()) throw std::out_of_range("scene: no item " + std::to_string(id));
  return found->second;
}

void Scene::reindex(const std::vector<ItemId>& list) {
  for (std::size_t i = 0; i < list.size(); ++i) place(list[i], i);
}

void Scene::place(ItemId id, std::size_t position) {
  std::vector<std::uint32_t>& positions = positions_.at(static_cast<std::size_t>(itemTypeOf(id)));
  const std::size_t serial = serialOf(id);
  if (serial >= positions.size()) positions.resize(serial + 1);
  positions[serial] = static_cast<std::uint32_t>(position);
}

void Scene::setParam(ItemId id, int code, Triple value) {
  Channel* channel = editable(id).channel(code);
  if (!channel) throw std::invalid_argument("scene: no channel for param code " + std::to_string(code));
  channel->setConstant(value);
}

void Scene::setParamKeys(ItemId id, int code, std::vector<Key> keys) {
  Channel* channel = editable(id).channel(code);
  if (!channel) throw std::invalid_argument("scene: no channel for param code " + std::to_string(code));
  channel->setKeys(std::move(keys));
}

void Scene::setRest(ItemId bone, int code, Triple value) {
  Item& item = editable(bone);
  if (code == PARAM_POSITION) {
    item.restPosition = value;
  } else if (code == PARAM_ROTATION) {
    item.restRotation = value;
  } else {
    throw std::invalid_argument("scene: rest values exist for position and rotation only");
  }
}

void Scene::setParent(ItemId id, ItemId parent) { editable(id).parent = parent; }

void Scene::setColor(ItemId id, std::uint32_t color) { editable(id).color = color; }

void Scene::rename(ItemId id, std::string name) { editable(id).name = std::move(name); }

void Scene::insertBefore(ItemId id, ItemId before) {
  editable(id);
  editable(before);
  std::vector<ItemId>& list = listOf(id);
  if (&list != &listOf(before)) throw std::invalid_argument("scene: items are in different lists");
  if (id == before) return;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(positionIn(list, id)));
  reindex(list);
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(positionIn(list, before)), id);
  reindex(list);
}

void Scene::remove(ItemId id) {
  editable(id);
  if (itemTypeOf(id) == IT_OBJECT) {
    auto bones = bones_.find(id);
    if (bones != bones_.end()) {
      for (ItemId bone : bones->second) items_.erase(bone);
      bones_.erase(bones);
    }
  }
  std::vector<ItemId>& list = listOf(id);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(positionIn(list, id)));
  reindex(list);
  items_.erase(id);
  std::vector<ItemId> kept;
  for (ItemId selected : selection_) {
    if (contains(selected)) kept.push_back(selected);
  }
  select(std::move(kept));
}

void Scene::select(std::vector<ItemId> items) {
  selection_ = std::move(items);
  selectedItems_ = selection_;
  selectedItems_.push_back(0);
}

bool Scene::contains(ItemId id) const { return items_.contains(id); }

const Item* Scene::find(ItemId id) const {
  auto found = items_.find(id);
  return found == items_.end() ? nullptr : &found->second;
}

const Item& Scene::item(ItemId id) const {
  const Item* found = find(id);
  if (!found) throw std::out_of_range("scene: no item " + std::to_string(id));
  return *found;
}

const std::vector<ItemId>& Scene::list(int itemType, ItemId owner) const {
  switch (itemType) {
    case IT_OBJECT:
      return objects_;
    case IT_LIGHT:
      return lights_;
    case IT_CAMERA:
      return cameras_;
    case IT_BONE: {
      auto found = bones_.find(owner);
      return found == bones_.end() ? EMPTY_LIST : found->second;
    }
    default:
      return EMPTY_LIST;
  }
}

ItemId Scene::first(int itemType, ItemId owner) const {
  const std::vector<ItemId>& items = list(itemType, owner);
  return items.empty() ? 0 : items.front();
}

ItemId Scene::next(ItemId id) const {
  const std::vector<ItemId>& items = list(itemTypeOf(id), boneOwner(id));
  const std::size_t position = positionIn(items, id);
  if (position == NOT_LISTED) return 0;
  const std::size_t following = position + 1;
  if (following < items.size()) return items[following];
  auto loop = loopsBackTo_.find(listKey(id));
  return loop == loopsBackTo_.end() ? 0 : loop->second;
}

std::size_t Scene::positionIn(const std::vector<ItemId>& list, ItemId id) const {
  const int type = itemTypeOf(id);
  if (type < 0) return NOT_LISTED;
  const std::vector<std::uint32_t>& positions = positions_[static_cast<std::size_t>(type)];
  const std::size_t serial = serialOf(id);
  const std::size_t position = serial < positions.size() ? positions[serial] : NOT_LISTED;
  return position < list.size() && list[position] == id ? position : NOT_LISTED;
}

ItemId Scene::listKey(ItemId id) { return itemTypeOf(id) == IT_BONE ? boneOwner(id) : id & ITEM_TYPE_MASK; }

void Scene::loopListBackTo(ItemId id) {
  editable(id);
  loopsBackTo_[listKey(id)] = id;
}

ItemId Scene::parent(ItemId id) const {
  const Item* item = find(id);
  return item ? item->parent : 0;
}

const char* Scene::name(ItemId id) const {
  const Item* item = find(id);
  return item ? item->name.c_str() : nullptr;
}

Triple Scene::param(ItemId id, int code, double time) const {
  const Item* item = find(id);
  const Channel* channel = item ? item->channel(code) : nullptr;
  return channel ? channel->at(time) : Triple{};
}

Triple Scene::rest(ItemId bone, int code) const {
  const Item* item = find(bone);
  if (!item || itemTypeOf(bone) != IT_BONE) return Triple{};
  if (code == PARAM_POSITION) return item->restPosition;
  if (code == PARAM_ROTATION) return item->restRotation;
  return Triple{};
}

std::uint32_t Scene::color(ItemId id) const {
  const Item* item = find(id);
  return item ? item->color : 0;
}

}  // namespace kv::host
