// SPDX-License-Identifier: MIT
// Drives one item node and one bone node through a sequence of host actions
// decoded from the input: panel gets and sets of any value ID, notifications,
// buttons, pop-up entries, identifier changes, scene edits, time steps,
// evaluations, input connections and the node's other entries, with services
// withheld and restored on the way. Besides the sanitizers' checks: every
// evaluation delivers one value, every pop-up text fits its 64-byte buffer,
// unknown value IDs are refused, the numbers a panel shows after it opens or
// gains focus are the list numbers of the node's items, and use-items lists
// the sampled item.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conformance/node_settings.h"
#include "conformance/random_scene.h"
#include "contract/panel_ids.h"
#include "fuzz/byte_reader.h"
#include "fuzz/entry_points.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scene.h"
#include "fuzz/fuzz_values.h"
#include "fuzz/node_servers.h"
#include "fuzz/panel_checks.h"
#include "host/host.h"

namespace kv::fuzz {
namespace {

constexpr const char* WITHHELD_SERVICES[] = {INTERFACE_INFO_SERVICE, COMMAND_SERVICE, PANEL_SERVICE,
                                             INSTANCE_UPDATE_SERVICE};

// Scene, host and nodes of one input; members end in reverse order, nodes first.
class Session {
 public:
  explicit Session(ByteReader& in) : in_(in) {
    services_.calls().setEnabled(false);
    const std::uint8_t kinds = in.byte();
    item_ = makeNode(false, kinds & 0xF);
    bone_ = makeNode(true, kinds >> 4);
  }

  void run() {
    while (!in_.empty()) step();
  }

 private:
  struct Node {
    std::unique_ptr<host::HostNode> node;
    host::HostPanel* panel = nullptr;
    bool bone = false;
  };

  Node makeNode(bool bone, unsigned kind) {
    Node made;
    made.node = std::make_unique<host::HostNode>(services_, module(), nodeServer(bone, kind));
    made.bone = bone;
    return made;
  }

  void step() {
    Node& target = in_.byte() & 1 ? bone_ : item_;
    switch (in_.choice(17)) {
      case 0:
        setValue(target);
        break;
      case 1:
        getValue(target);
        break;
      case 2:
        notify(target);
        break;
      case 3:
        press(target);
        break;
      case 4:
        popupEntry(target);
        break;
      case 5:
        changeIds(target);
        break;
      case 6:
        reorder();
        break;
      case 7:
        removeItem();
        break;
      case 8:
        selectItems();
        break;
      case 9:
        newTime();
        break;
      case 10:
        evaluate(target);
        break;
      case 11:
        connect(target);
        break;
      case 12:
        openPanel(target);
        break;
      case 13:
        toggleService();
        break;
      case 14:
        editItem();
        break;
      case 15:
        instanceCall(target);
        break;
      default:
        addItem();
    }
  }

  // Panel actions act on the node's panel, opening it first when needed.
  host::HostPanel* panelOf(Node& target) {
    if (!target.panel) openPanel(target);
    return target.panel;
  }

  void openPanel(Node& target) {
    host::HostPanel* panel = target.node->openPanel();
    if (!panel) return;
    FUZZ_CHECK(!target.panel || target.panel == panel, "a node keeps its one panel");
    target.panel = panel;
    checkNumbers(target);
  }

  std::uint32_t anyValueId() {
    const unsigned pick = in_.choice(10);
    if (pick < 6) return CTL_ITEM + pick;
    if (pick == 6) return 0;
    if (pick == 7) return CTL_ITEM - 1;
    if (pick == 8) return CTL_SELECT + 1;
    return in_.raw<std::uint32_t>();
  }

  static bool handledValue(const Node& target, std::uint32_t id) {
    return id == CTL_ITEM || id == CTL_TIME || id == CTL_MODE || (target.bone && id == CTL_BONE);
  }

  void setValue(Node& target) {
    const std::uint32_t id = anyValueId();
    const bool asDouble = in_.byte() & 1;
    host::HostPanel* panel = panelOf(target);
    if (!panel) return;
    const host::DataInfo* info = panel->dataInfo(id);
    int result = 0;
    if (!asDouble) {
      result = panel->set(id, anyInt32(in_));
    } else if (info && info->dataType == "integer") {
      // The host converts a double typed into an integer control by value,
      // which is defined only within the integer's range.
      result = panel->set(id, static_cast<double>(anyInt32(in_)));
    } else {
      result = panel->set(id, anyDouble(in_));
    }
    FUZZ_CHECK((result != 0) == handledValue(target, id), "set handles exactly the panel's values");
  }

  void getValue(Node& target) {
    const std::uint32_t id = anyValueId();
    host::HostPanel* panel = panelOf(target);
    if (!panel) return;
    const void* value = panel->rawGet(id);
    if (!handledValue(target, id)) FUZZ_CHECK(value == nullptr, "get gives null for a value the panel lacks");
    if (id == CTL_MODE) FUZZ_CHECK(value != nullptr, "get always gives the mode");
    if (value && panel->dataInfo(id)) panel->value(id);
  }

  void notify(Node& target) {
    const std::uint32_t control = anyValueId();
    const std::uint32_t value = anyValueId();
    const int event = in_.byte() & 1 ? static_cast<int>(in_.choice(8)) : anyInt32(in_);
    host::HostPanel* panel = panelOf(target);
    if (!panel) return;
    panel->notify(control, value, event);
    if (event == EVENT_FOCUS_GAINED) checkNumbers(target);
  }

  void press(Node& target) {
    const std::uint32_t id = anyValueId();
    host::HostPanel* panel = panelOf(target);
    if (panel && panel->button(id)) panel->press(id);
  }

  void popupEntry(Node& target) {
    const std::uint32_t id = anyValueId();
    const int index = in_.byte() & 1 ? static_cast<int>(in_.choice(12)) - 2 : anyInt32(in_);
    host::HostPanel* panel = panelOf(target);
    if (!panel || !panel->popup(id)) return;
    const int count = panel->popupCount(id);
    FUZZ_CHECK(count >= 1, "a pop-up lists at least \"(none)\"");
    const std::string_view name = checkedPopupName(*panel, id, index);
    if (index == 0) {
      FUZZ_CHECK(name == "(none)", "entry 0 is \"(none)\"");
    } else if (index < 0 || index >= count) {
      FUZZ_CHECK(name.empty(), "an entry outside the list is empty");
    } else {
      FUZZ_CHECK(!name.empty(), "an entry in the list has text");
    }
  }

  void changeIds(Node& target) {
    std::vector<std::pair<ItemId, ItemId>> changes(in_.choice(4));
    for (auto& [from, to] : changes) {
      from = anyItemId(in_, originalItems_);
      to = anyItemId(in_, originalItems_);
    }
    target.node->changeIds(changes);
  }

  // The node's other entries, which a host may call at any moment.
  void instanceCall(Node& target) {
    host::HostNode& node = *target.node;
    switch (in_.choice(5)) {
      case 0: {
        const ItemId sampled = savedIds(target).back();
        const std::vector<ItemId> used = node.usedItems();
        FUZZ_CHECK(used == (sampled ? std::vector<ItemId>{sampled} : std::vector<ItemId>{}),
                   "use-items lists the sampled item alone");
        break;
      }
      case 1:
        FUZZ_CHECK(std::string_view(node.describeLine()).empty(), "the description line is empty");
        break;
      case 2:
        FUZZ_CHECK(node.init(anyInt32(in_)) == nullptr, "init reports success");
        node.cleanup();
        break;
      default: {
        // Saving and loading the node's own state leaves its settings as they were.
        host::SavedState saved;
        node.save(saved);
        node.load(saved);
        host::SavedState again;
        node.save(again);
        FUZZ_CHECK(host::sameState(again, saved), "a node saves again what it loaded from itself");
      }
    }
  }

  ItemId anyPresentItem() {
    const std::vector<ItemId> items = conformance::sceneItems(scene_);
    const std::uint8_t pick = in_.byte();
    return items.empty() ? 0 : items[pick % items.size()];
  }

  void reorder() {
    const ItemId item = anyPresentItem();
    const ItemId before = anyPresentItem();
    if (item == 0 || before == 0) return;
    const bool sameList = host::itemTypeOf(item) == host::itemTypeOf(before) &&
                          (host::itemTypeOf(item) != IT_BONE || host::boneOwner(item) == host::boneOwner(before));
    if (sameList) scene_.insertBefore(item, before);
  }

  void removeItem() {
    if (const ItemId item = anyPresentItem()) scene_.remove(item);
  }

  void selectItems() {
    std::vector<ItemId> selection(in_.choice(4));
    for (ItemId& item : selection) item = anyPresentItem();
    std::erase(selection, ItemId{0});
    scene_.select(std::move(selection));
  }

  void newTime() {
    const int frame = anyInt32(in_);
    const double time = anyDouble(in_);
    item_.node->newTime(frame, time);
    bone_.node->newTime(frame, time);
  }

  void evaluate(Node& target) {
    const std::size_t outputs = target.node->outputs().size();
    const std::size_t pick = in_.byte() % (outputs + 2);
    host::OutputValue value;
    if (pick < outputs) {
      value = target.node->evaluate(pick);
    } else if (pick == outputs) {
      // An output of the other node: not one of this node's handles.
      const Node& other = &target == &item_ ? bone_ : item_;
      const auto foreign = other.node->outputs();
      const host::PortInfo& port = foreign[in_.byte() % foreign.size()];
      value = target.node->evaluateHandle(static_cast<OutputHandle>(port.handle), port.type);
    } else {
      value = target.node->evaluateHandle(nullptr, CT_VECTOR);
    }
    FUZZ_CHECK(value.deliveries == 1, "an evaluation delivers exactly one value");
  }

  void connect(Node& target) {
    switch (in_.choice(4)) {
      case 0:
        target.node->connectScalar("Time", anyDouble(in_));
        break;
      case 1:
        target.node->connectInteger("Item", static_cast<std::int32_t>(anyItemId(in_, originalItems_)));
        break;
      case 2:
        target.node->disconnect("Time");
        break;
      default:
        target.node->disconnect("Item");
    }
  }

  void toggleService() {
    const std::string name = WITHHELD_SERVICES[in_.choice(std::size(WITHHELD_SERVICES))];
    if (services_.withheld(name)) {
      services_.restore(name);
    } else {
      services_.withhold(name);
    }
  }

  void editItem() {
    const ItemId item = anyPresentItem();
    const unsigned edit = in_.choice(4);
    if (item == 0) return;
    switch (edit) {
      case 0:
        scene_.rename(item, in_.text(80));
        break;
      case 1:
        scene_.setColor(item, in_.raw<std::uint32_t>());
        break;
      default: {
        constexpr int codes[] = {PARAM_POSITION, PARAM_ROTATION, PARAM_SCALING, PARAM_PIVOT, PARAM_PIVOT_ROTATION};
        const int code = codes[in_.choice(std::size(codes))];
        const host::Triple value{anyDouble(in_), anyDouble(in_), anyDouble(in_)};
        if (edit == 3 && host::itemTypeOf(item) == IT_BONE && (code == PARAM_POSITION || code == PARAM_ROTATION)) {
          scene_.setRest(item, code, value);
        } else {
          scene_.setParam(item, code, value);
        }
      }
    }
  }

  void addItem() {
    const ItemId parent = in_.byte() & 1 ? anyPresentItem() : 0;
    switch (in_.choice(4)) {
      case 0:
        scene_.addObject("New", parent);
        break;
      case 1:
        scene_.addLight("New", parent);
        break;
      case 2:
        scene_.addCamera("New", parent);
        break;
      default:
        if (const ItemId owner = anyPresentItem(); host::itemTypeOf(owner) == IT_OBJECT) {
          scene_.addBone(owner, "New", parent);
        }
    }
  }

  // The identifiers the node saves: its item, or a bone node's object and bone.
  static std::vector<ItemId> savedIds(const Node& target) {
    const std::optional<conformance::NodeSettings> settings = conformance::nodeSettings(*target.node);
    FUZZ_CHECK(settings && settings->ids.size() == (target.bone ? 2u : 1u), "a node saves its identifiers");
    return settings->ids;
  }

  // The numbers a panel shows are recomputed from the node's items when it
  // opens or gains focus (a connected Item input hides them).
  void checkNumbers(const Node& target) const {
    const std::vector<ItemId> ids = savedIds(target);
    if (const auto shown = target.panel->intValue(CTL_ITEM))
      FUZZ_CHECK(*shown == expectedItemNumber(scene_, ids[0]), "the Item pop-up shows its item's list number");
    if (!target.bone) return;
    if (const auto shown = target.panel->intValue(CTL_BONE))
      FUZZ_CHECK(*shown == expectedItemNumber(scene_, ids[1]), "the Bone pop-up shows the bone's list number");
  }

  ByteReader& in_;
  host::Scene scene_;
  std::vector<ItemId> originalItems_ = buildFuzzScene(scene_);
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
