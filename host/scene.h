// SPDX-License-Identifier: MIT
// The in-memory scene that the substitute host serves to the module.
//
// Items are kept in the host's lists (objects, lights, cameras, and one bone
// list per owner object) in creation order, with `insertBefore` to reorder and
// `remove` to drop. Identifiers follow the host's layout: the top four bits are
// the item type plus one; an object's low 16 bits are its value (1 upward,
// never reused); a bone carries a 12-bit serial in bits 16..27 and its owner's
// 16-bit value in its low bits.
//
// Threads: every const member may be called from many threads at once; the
// scene must not be changed while anything reads it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "contract/host_api.h"
#include "contract/item_ids.h"

namespace kv::host {

using Triple = std::array<double, 3>;

// The scene files and commands name the identifier helpers as the scene's.
using kv::boneOwner;
using kv::itemTypeOf;

struct Key {
  double time;
  Triple value;
};

// One animatable parameter: a constant, or keys interpolated linearly in time
// (held at the first key's value before it and the last key's after it).
class Channel {
 public:
  Channel() = default;
  explicit Channel(Triple constant) : constant_(constant) {}

  void setConstant(Triple value);
  void setKeys(std::vector<Key> keys);  // sorted by time here
  Triple at(double time) const;
  const std::vector<Key>& keys() const { return keys_; }

 private:
  Triple constant_{};
  std::vector<Key> keys_;
};

struct Item {
  ItemId id = 0;
  std::string name;
  ItemId parent = 0;
  std::uint32_t color = 0;  // what interface info's itemColor returns
  Channel position;
  Channel rotation;  // heading, pitch, bank in radians
  Channel scaling{Triple{1.0, 1.0, 1.0}};
  Channel pivot;
  Channel pivotRotation;
  Triple restPosition{};  // bones only
  Triple restRotation{};  // bones only

  // The channel of a param code (PARAM_POSITION ...), or null for other codes.
  Channel* channel(int code);
  const Channel* channel(int code) const;
};

class Scene {
 public:
  // Builders. Parents are not checked: any identifier (or 0) may be given.
  // Throw std::length_error when a type runs out of identifiers.
  ItemId addObject(std::string name, ItemId parent = 0);
  ItemId addLight(std::string name, ItemId parent = 0);
  ItemId addCamera(std::string name, ItemId parent = 0);
  // Throws std::invalid_argument when `owner` is not an object of the scene.
  ItemId addBone(ItemId owner, std::string name, ItemId parent = 0);

  // Editors; each throws std::out_of_range for an identifier the scene lacks
  // and std::invalid_argument for a param code without a channel.
  void setParam(ItemId id, int code, Triple value);
  void setParamKeys(ItemId id, int code, std::vector<Key> keys);
  void setRest(ItemId bone, int code, Triple value);  // PARAM_POSITION or PARAM_ROTATION
  void setParent(ItemId id, ItemId parent);
  void setColor(ItemId id, std::uint32_t color);
  void rename(ItemId id, std::string name);
  // Moves `id` in its list to just before `before` (same list, else invalid_argument).
  void insertBefore(ItemId id, ItemId before);
  // Drops the item from its list and the selection; an object takes its bones
  // with it. Identifiers are never handed out again. Other items keep their
  // parent fields as they were.
  void remove(ItemId id);
  // Makes the list holding `id` go on from its last item back to `id` instead
  // of ending, as a damaged host's list might; parent loops need only setParent.
  void loopListBackTo(ItemId id);

  // The host's selection; the first element is the current item.
  void select(std::vector<ItemId> items);
  const std::vector<ItemId>& selection() const { return selection_; }
  // The selection followed by a terminating 0, as interface info hands it out.
  const ItemId* selectedItems() const { return selectedItems_.data(); }

  // Readers, as the host's services answer them: unknown items give 0, null,
  // or zeros.
  bool contains(ItemId id) const;
  const Item* find(ItemId id) const;
  const Item& item(ItemId id) const;               // throws std::out_of_range
  ItemId first(int itemType, ItemId owner) const;  // owner only matters for bones
  ItemId next(ItemId id) const;
  ItemId parent(ItemId id) const;
  const char* name(ItemId id) const;  // owned by the scene; null for unknown items
  Triple param(ItemId id, int code, double time) const;
  Triple rest(ItemId bone, int code) const;
  std::uint32_t color(ItemId id) const;

  // A whole list in host order (bones: of `owner`).
  const std::vector<ItemId>& list(int itemType, ItemId owner = 0) const;

 private:
  ItemId add(ItemId id, std::string name, ItemId parent);
  std::vector<ItemId>& listOf(ItemId id);
  Item& editable(ItemId id);
  void reindex(const std::vector<ItemId>& list);
  void place(ItemId id, std::size_t position);  // records `id`'s index in its list
  static ItemId listKey(ItemId id);             // one value per list: the type bits, or a bone's owner
  // The index of `id` in `list`, the list of its type (and owner), or NOT_LISTED.
  std::size_t positionIn(const std::vector<ItemId>& list, ItemId id) const;
  static constexpr std::size_t NOT_LISTED = static_cast<std::size_t>(-1);

  std::unordered_map<ItemId, Item> items_;
  std::vector<ItemId> objects_, lights_, cameras_;
  std::unordered_map<ItemId, std::vector<ItemId>> bones_;  // by owner object
  // The index of each item in its list, by item type and the serial its
  // identifier carries: next() runs at every step of every walk, and a
  // pop-up's listing walks the list once per entry. An index is only a guess
  // until checked against the list, so removed or unknown items need no entry.
  std::array<std::vector<std::uint32_t>, 4> positions_;
  std::unordered_map<ItemId, ItemId> loopsBackTo_;  // by listKey: where its last item leads
  std::vector<ItemId> selection_;
  std::vector<ItemId> selectedItems_{0};
  ItemId nextObject_ = 1, nextLight_ = 1, nextCamera_ = 1, nextBone_ = 1;
};

}  // namespace kv::host
