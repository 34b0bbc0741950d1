// SPDX-License-Identifier: MIT
// Reports identifier changes to one item node and one bone node: change lists
// of any length whose identifiers are stale, zero, unknown, held by a node,
// repeated, or renamed on to another listed one, interleaved with use-items,
// save and load, evaluation, panel openings and Item input connections.
// Besides the sanitizers' checks: the identifiers each node holds are exactly
// those of a model that applies the rename rule on its own (each reference is
// replaced by the first pair naming it, scanning stops at an old value of 0,
// no chains), the numbers its open panel shows are the list numbers of
// those identifiers, an open panel is refreshed once per replaced reference,
// use-items lists the sampled identifier, save writes the held ones, and the
// "Item" output of an Info node delivers the held one.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <variant>
#include <vector>

#include "conformance/node_settings.h"
#include "contract/panel_ids.h"
#include "fuzz/byte_reader.h"
#include "fuzz/entry_points.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scene.h"
#include "fuzz/node_servers.h"
#include "host/host.h"

namespace kv::fuzz {
namespace {

using Changes = std::vector<std::pair<ItemId, ItemId>>;

// The rename rule, applied to a model of the held references: each non-zero
// reference takes the new value of the first pair whose old value equals it,
// looking no further than the first pair whose old value is 0. Returns how
// many references were replaced.
std::size_t applyChanges(std::span<ItemId> held, const Changes& changes) {
  std::size_t replaced = 0;
  for (ItemId& id : held) {
    if (id == 0) continue;
    for (const auto& [from, to] : changes) {
      if (from == 0) break;
      if (from == id) {
        id = to;
        ++replaced;
        break;
      }
    }
  }
  return replaced;
}

struct Node {
  std::unique_ptr<host::HostNode> node;
  bool bone = false;
  bool itemOutput = false;        // the Info nodes deliver the sampled item
  std::array<ItemId, 2> model{};  // item family: [0] only; bone family: object, bone
  std::optional<std::int32_t> itemInput;
  host::HostPanel* panel = nullptr;

  std::span<ItemId> modelIds() { return {model.data(), bone ? 2u : 1u}; }
  ItemId sampledModel() const { return bone ? model[1] : model[0]; }
};

class Session {
 public:
  explicit Session(ByteReader& in) : in_(in) {
    services_.calls().setEnabled(false);
    const std::uint8_t kinds = in.byte();
    makeNode(item_, false, kinds & 0xF);
    makeNode(bone_, true, kinds >> 4);
  }

  void run() {
    while (!in_.empty()) {
      step();
      checkHeld(item_);
      checkHeld(bone_);
    }
  }

 private:
  void makeNode(Node& n, bool bone, unsigned kind) {
    n.node = std::make_unique<host::HostNode>(services_, module(), nodeServer(bone, kind));
    n.bone = bone;
    const std::vector<host::PortInfo> outputs = n.node->outputs();
    n.itemOutput =
        std::any_of(outputs.begin(), outputs.end(), [](const host::PortInfo& p) { return p.name == "Item"; });
  }

  void step() {
    Node& target = in_.byte() & 1 ? bone_ : item_;
    switch (in_.choice(6)) {
      case 0:
        changeIds();
        break;
      case 1:
        checkUsedItems(target);
        break;
      case 2:
        saveAndLoad(target);
        break;
      case 3:
        evaluate(target);
        break;
      case 4:
        openPanel(target);
        break;
      default:
        connectItem(target);
    }
  }

  // An identifier for a change list or a stored state: none, one of the scene,
  // one a node holds, one named earlier in the same list, or an unknown one.
  ItemId anyId(const Changes& earlier) {
    switch (in_.choice(8)) {
      case 0:
        return 0;
      case 1:
      case 2:
      case 3:
        return sceneItems_[in_.byte() % sceneItems_.size()];
      case 4:
      case 5: {
        const std::array<ItemId, 3> held{item_.model[0], bone_.model[0], bone_.model[1]};
        return held[in_.choice(3)];
      }
      case 6:
        if (!earlier.empty()) {
          const auto& [from, to] = earlier[in_.byte() % earlier.size()];
          return in_.byte() & 1 ? to : from;
        }
        return sceneItems_[in_.byte() % sceneItems_.size()];
      default:
        // Any bits, or a made-up identifier of any type value, bones of objects not in the scene included.
        return in_.byte() & 1 ? in_.raw<ItemId>() : (ItemId{in_.choice(16)} << 28) | in_.raw<std::uint16_t>();
    }
  }

  // The host reports the same changes to every instance.
  void changeIds() {
    Changes changes(in_.choice(8));
    for (std::size_t i = 0; i < changes.size(); ++i) {
      const Changes earlier(changes.begin(), changes.begin() + static_cast<std::ptrdiff_t>(i));
      changes[i].first = anyId(earlier);
      changes[i].second = anyId(earlier);
    }
    for (Node* n : {&item_, &bone_}) {
      const int refreshes = n->panel ? n->panel->refreshCount() : 0;
      n->node->changeIds(changes);
      const std::size_t replaced = applyChanges(n->modelIds(), changes);
      if (n->panel) {
        FUZZ_CHECK(n->panel->refreshCount() - refreshes == static_cast<int>(replaced),
                   "an open panel is refreshed once per replaced reference");
      }
    }
  }

  void checkUsedItems(Node& n) {
    const ItemId sampled = n.sampledModel();
    FUZZ_CHECK(n.node->usedItems() == (sampled ? std::vector<ItemId>{sampled} : std::vector<ItemId>{}),
               "use-items lists the held identifier alone");
  }

  // Saves the node and loads into it either what it saved or stored
  // identifiers of any kind; the model takes the loaded ones.
  void saveAndLoad(Node& n) {
    host::SavedState saved;
    n.node->save(saved);
    const host::StoredBlock* ids = saved.find(BLOCK_IDS);
    FUZZ_CHECK(ids && ids->values.size() == n.modelIds().size(), "save writes one identifier per reference");
    for (std::size_t i = 0; i < ids->values.size(); ++i) {
      FUZZ_CHECK(std::get<std::uint32_t>(ids->values[i]) == n.model[i], "save writes the held identifiers");
    }
    if (in_.byte() & 1) {
      std::vector<host::StoredValue> values;
      for (ItemId& id : n.modelIds()) values.emplace_back(id = anyId({}));
      saved = host::SavedState{};
      saved.add(BLOCK_IDS, "ids", std::move(values));
    }
    n.node->load(saved);
  }

  void evaluate(Node& n) {
    const int frame = in_.byte();
    n.node->newTime(frame, frame / 4.0);
    const std::vector<host::PortInfo> outputs = n.node->outputs();
    const std::size_t index = in_.byte() % outputs.size();
    FUZZ_CHECK(n.node->evaluate(index).deliveries == 1, "an evaluation delivers exactly one value");
    if (n.itemOutput) {
      const host::OutputValue item = n.node->evaluate("Item");
      const std::int32_t expected = n.itemInput ? *n.itemInput : static_cast<std::int32_t>(n.sampledModel());
      FUZZ_CHECK(item.deliveries == 1 && item.integer == expected,
                 "the \"Item\" output is the held identifier or the connected one");
    }
  }

  void openPanel(Node& n) {
    host::HostPanel* panel = n.node->openPanel();
    FUZZ_CHECK(panel != nullptr, "the panel opens");
    FUZZ_CHECK(!n.panel || n.panel == panel, "a node keeps its one panel");
    n.panel = panel;
  }

  void connectItem(Node& n) {
    if (in_.byte() & 1) {
      n.itemInput = static_cast<std::int32_t>(anyId({}));
      n.node->connectInteger("Item", *n.itemInput);
    } else {
      n.itemInput.reset();
      n.node->disconnect("Item");
    }
  }

  // A node saves the model's identifiers, and an open panel shows their list
  // numbers while the Item input is unconnected.
  void checkHeld(const Node& n) const {
    const std::optional<conformance::NodeSettings> settings = conformance::nodeSettings(*n.node);
    FUZZ_CHECK(settings.has_value(), "a node saves its settings");
    const std::size_t count = n.bone ? 2 : 1;
    FUZZ_CHECK(settings->ids.size() == count, "a node saves one identifier per reference");
    for (std::size_t i = 0; i < count; ++i)
      FUZZ_CHECK(settings->ids[i] == n.model[i], "a node holds the identifiers the renames give");
    if (n.panel && !n.itemInput) {
      FUZZ_CHECK(n.panel->intValue(CTL_ITEM) == expectedItemNumber(scene_, n.model[0]),
                 "the Item pop-up shows the held identifier's list number");
      if (n.bone)
        FUZZ_CHECK(n.panel->intValue(CTL_BONE) == expectedItemNumber(scene_, n.model[1]),
                   "the Bone pop-up shows the held identifier's list number");
    }
  }

  ByteReader& in_;
  host::Scene scene_;
  std::vector<ItemId> sceneItems_ = buildFuzzScene(scene_);
  host::ServiceHost services_{scene_};
  Node item_;
  Node bone_;
};

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) { return kv::fuzz::loadModuleBeforeFuzzing(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kv::fuzz::runSession<kv::fuzz::Session>(data, size);
}
