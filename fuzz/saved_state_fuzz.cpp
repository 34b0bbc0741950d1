// SPDX-License-Identifier: MIT
// Loads arbitrary stored states into a fresh node of each family, then checks
// that what the node saves is what the stored blocks say (the last block of a
// kind wins, short blocks keep what was there, unknown blocks are skipped),
// that saving and loading again changes nothing, that the panel shows the
// loaded settings with the list numbers of the loaded items, and that every
// output evaluates to one value, the same again from the caches.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "contract/panel_ids.h"
#include "fuzz/byte_reader.h"
#include "fuzz/entry_points.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scene.h"
#include "fuzz/fuzz_values.h"
#include "fuzz/panel_checks.h"
#include "host/host.h"

namespace kv::fuzz {
namespace {

using host::SavedState;
using host::StoredBlock;
using host::StoredValue;

// The scene is made once. The host's services are made per input, since the
// host keeps every panel the module creates until it ends.
struct Fixture {
  host::Scene scene;
  std::vector<ItemId> items = buildFuzzScene(scene);
};

Fixture& fixture() {
  static Fixture shared;
  return shared;
}

StoredValue anyStoredValue(ByteReader& in, const std::vector<ItemId>& items) {
  switch (in.choice(3)) {
    case 0:
      return in.byte() & 1 ? anyInt32(in) : static_cast<std::int32_t>(anyItemId(in, items));
    case 1:
      return anyItemId(in, items);
    default:
      return in.byte() & 1 ? static_cast<double>(anyItemId(in, items)) : anyDouble(in);
  }
}

SavedState anyStoredState(ByteReader& in, const std::vector<ItemId>& items) {
  SavedState state;
  const unsigned blocks = in.choice(16);
  for (unsigned b = 0; b < blocks; ++b) {
    StoredBlock block;
    switch (in.choice(4)) {
      case 0:
        block.id = BLOCK_IDS;
        break;
      case 1:
        block.id = BLOCK_TIME;
        break;
      case 2:
        block.id = BLOCK_MODE;
        break;
      default:
        block.id = in.raw<std::uint32_t>();
    }
    const unsigned values = in.choice(8);
    for (unsigned v = 0; v < values; ++v) block.values.push_back(anyStoredValue(in, items));
    state.blocks.push_back(std::move(block));
  }
  return state;
}

// What a fresh node of a family holding `idCount` identifiers must save after
// loading `stored`.
SavedState expectedResave(const SavedState& stored, std::size_t idCount) {
  std::array<ItemId, 2> ids{};
  double time = 0.0;
  std::int32_t mode = 0;
  for (const StoredBlock& block : stored.blocks) {
    const std::size_t present = block.values.size();
    if (block.id == BLOCK_IDS) {
      for (std::size_t i = 0; i < idCount && i < present; ++i) ids[i] = host::storedValueAs<ItemId>(block.values[i]);
    } else if (block.id == BLOCK_TIME && present > 0) {
      time = host::storedValueAs<double>(block.values[0]);
    } else if (block.id == BLOCK_MODE && present > 0) {
      mode = host::storedValueAs<std::int32_t>(block.values[0]);
    }
  }
  std::vector<StoredValue> idValues(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(idCount));
  SavedState expected;
  expected.add(BLOCK_IDS, "ids", std::move(idValues)).add(BLOCK_TIME, "time", {time}).add(BLOCK_MODE, "mode", {mode});
  return expected;
}

bool sameOutput(const host::OutputValue& a, const host::OutputValue& b) {
  return std::bit_cast<std::array<std::uint64_t, 3>>(a.vector) ==
             std::bit_cast<std::array<std::uint64_t, 3>>(b.vector) &&
         std::bit_cast<std::uint64_t>(a.scalar) == std::bit_cast<std::uint64_t>(b.scalar) && a.integer == b.integer;
}

void checkEvaluation(host::HostNode& node, int frame, double time) {
  node.newTime(frame, time);
  const std::size_t outputs = node.outputs().size();
  std::vector<host::OutputValue> first;
  for (std::size_t i = 0; i < outputs; ++i) {
    first.push_back(node.evaluate(i));
    FUZZ_CHECK(first.back().deliveries == 1, "an evaluation delivers exactly one value");
  }
  // At the same time the cached results must be what was computed.
  for (std::size_t i = outputs; i-- > 0;) {
    const host::OutputValue again = node.evaluate(i);
    FUZZ_CHECK(again.deliveries == 1, "an evaluation delivers exactly one value");
    FUZZ_CHECK(sameOutput(again, first[i]), "a second evaluation at the same time gives the same value");
  }
}

void checkPanel(host::HostNode& node, const SavedState& saved, bool bone) {
  Fixture& f = fixture();
  host::HostPanel* panel = node.openPanel();
  FUZZ_CHECK(node.lastPanelResult() == 0 && panel, "the panel opens");
  const auto& ids = saved.blocks[0].values;
  FUZZ_CHECK(panel->intValue(CTL_ITEM) == expectedItemNumber(f.scene, std::get<ItemId>(ids[0])),
             "the Item pop-up shows the loaded item's list number");
  if (bone) {
    FUZZ_CHECK(panel->intValue(CTL_BONE) == expectedItemNumber(f.scene, std::get<ItemId>(ids[1])),
               "the Bone pop-up shows the loaded bone's list number");
  }
  const std::optional<double> time = panel->floatValue(CTL_TIME);
  FUZZ_CHECK(time && std::bit_cast<std::uint64_t>(*time) ==
                         std::bit_cast<std::uint64_t>(std::get<double>(saved.blocks[1].values[0])),
             "the Time value is the loaded time");
  FUZZ_CHECK(panel->intValue(CTL_MODE) == std::get<std::int32_t>(saved.blocks[2].values[0]),
             "the Mode value is the loaded mode");
  checkPopupList(*panel, CTL_ITEM);
  if (bone) checkPopupList(*panel, CTL_BONE);
}

void checkFamily(host::ServiceHost& services, const char* server, bool bone, const SavedState& stored, int frame,
                 double time) {
  host::HostNode first(services, module(), server);
  FUZZ_CHECK(first.load(stored) == nullptr, "load reports success");
  SavedState saved;
  FUZZ_CHECK(first.save(saved) == nullptr, "save reports success");
  FUZZ_CHECK(host::sameState(saved, expectedResave(stored, bone ? 2 : 1)),
             "the node saves the settings the blocks gave");

  host::HostNode second(services, module(), server);
  second.load(saved);
  SavedState again;
  second.save(again);
  FUZZ_CHECK(host::sameState(again, saved), "saving what was loaded gives the same state");

  checkEvaluation(first, frame, time);
  checkPanel(first, saved, bone);
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) { return kv::fuzz::loadModuleBeforeFuzzing(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kv::fuzz;
  ByteReader in(data, size);
  const kv::host::SavedState stored = anyStoredState(in, fixture().items);
  const int frame = anyInt32(in);
  const double time = anyDouble(in);
  kv::host::ServiceHost services(fixture().scene);
  services.calls().setEnabled(false);
  checkFamily(services, "KvI_ITEM", false, stored, frame, time);
  checkFamily(services, "KvI_BONE", true, stored, frame, time);
  return 0;
}
