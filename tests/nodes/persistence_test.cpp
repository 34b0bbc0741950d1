// SPDX-License-Identifier: MIT
// Saving and loading a node's settings through the host's state tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "listed_scene.h"
#include "nodes/instance.h"

namespace kv::test {
namespace {

using host::HostNode;
using host::SavedState;
using host::StoredValue;

constexpr std::uint32_t IDS = blockId("IIDS");
constexpr std::uint32_t TIME = blockId("ITIM");
constexpr std::uint32_t MODE = blockId("IMOD");
constexpr const char* ITEM = "KvI_ITEMP";
constexpr const char* BONE = "KvI_BONEP";

// Each test loads the module afresh, so the service pointers one test leaves in
// it never reach another.
class PersistenceTest : public ::testing::Test, protected ListedScene {
 protected:
  host::ServiceHost host{scene};
  host::LoadedModule module{KV_MODULE_PATH};

  std::unique_ptr<HostNode> node(const char* server) { return std::make_unique<HostNode>(host, module, server); }

  static ItemInfoInstance& itemRecord(const HostNode& n) { return *reinterpret_cast<ItemInfoInstance*>(n.instance()); }
  static BoneInfoInstance& boneRecord(const HostNode& n) { return *reinterpret_cast<BoneInfoInstance*>(n.instance()); }

  // Keeps the item-info service from the fresh module: with the system-ID bit
  // activations succeed without looking it up.
  void dropItemInfo() { host.setSystemId(SYSTEM_ID_NO_ITEM_INFO); }
};

TEST_F(PersistenceTest, ItemNodeSavesThreeLeafBlocksInOrder) {
  auto n = node(ITEM);
  ItemInfoInstance& r = itemRecord(*n);
  r.item = L2;
  r.panelTime = 2.5;
  r.timeMode = TM_REL;

  host.calls().clear();
  SavedState saved;
  EXPECT_EQ(n->save(saved), nullptr);

  SavedState expected;
  expected.add(IDS, "ids", {StoredValue{L2}}).add(TIME, "time", {StoredValue{2.5}}).add(MODE, "mode", {StoredValue{2}});
  EXPECT_EQ(saved, expected);
  EXPECT_EQ(
      host.calls().matching("save."),
      (std::vector<std::string>{"save.beginBlock IIDS ids 1", "save.writeU4 " + std::to_string(L2), "save.endBlock",
                                "save.beginBlock ITIM time 1", "save.writeDP 2.5", "save.endBlock",
                                "save.beginBlock IMOD mode 1", "save.writeI4 2", "save.endBlock"}));
}

TEST_F(PersistenceTest, BoneNodeSavesObjectThenBone) {
  auto n = node(BONE);
  BoneInfoInstance& r = boneRecord(*n);
  r.object = B;
  r.bone = B1;

  SavedState saved;
  n->save(saved);
  ASSERT_EQ(saved.blocks.size(), 3u);
  EXPECT_EQ(saved.blocks[0].values, (std::vector<StoredValue>{B, B1}));
  EXPECT_EQ(saved.blocks[1].id, TIME);
  EXPECT_EQ(saved.blocks[2].values, (std::vector<StoredValue>{std::int32_t{0}}));
}

TEST_F(PersistenceTest, RoundTripRestoresSettingsAndNumbers) {
  auto source = node(ITEM);
  itemRecord(*source).item = L1;
  itemRecord(*source).panelTime = -0.75;
  itemRecord(*source).timeMode = TM_ABS;
  SavedState saved;
  source->save(saved);

  auto target = node(ITEM);
  EXPECT_EQ(target->load(saved), nullptr);
  const ItemInfoInstance& r = itemRecord(*target);
  EXPECT_EQ(r.item, L1);
  EXPECT_EQ(r.itemListNumber, 4);
  EXPECT_EQ(r.panelTime, -0.75);
  EXPECT_EQ(r.timeMode, TM_ABS);

  auto boneSource = node(BONE);
  boneRecord(*boneSource).object = A;
  boneRecord(*boneSource).bone = A2;
  SavedState boneSaved;
  boneSource->save(boneSaved);
  auto boneTarget = node(BONE);
  boneTarget->load(boneSaved);
  const BoneInfoInstance& b = boneRecord(*boneTarget);
  EXPECT_EQ(b.object, A);
  EXPECT_EQ(b.bone, A2);
  EXPECT_EQ(b.objectNumber, 1);
  EXPECT_EQ(b.boneNumber, 2);
}

TEST_F(PersistenceTest, BlocksLoadInAnyOrder) {
  SavedState reversed;
  reversed.add(MODE, "mode", {StoredValue{2}}).add(TIME, "time", {StoredValue{4.0}}).add(IDS, "ids", {StoredValue{K}});
  auto n = node(ITEM);
  n->load(reversed);
  const ItemInfoInstance& r = itemRecord(*n);
  EXPECT_EQ(r.item, K);
  EXPECT_EQ(r.itemListNumber, 6);
  EXPECT_EQ(r.panelTime, 4.0);
  EXPECT_EQ(r.timeMode, TM_REL);
}

TEST_F(PersistenceTest, MissingBlocksLeaveWhatTheRecordHeld) {
  auto n = node(ITEM);
  n->load(SavedState{}.add(IDS, "ids", {StoredValue{C}}));
  EXPECT_EQ(itemRecord(*n).panelTime, 0.0);
  EXPECT_EQ(itemRecord(*n).timeMode, TM_CUR);

  // No "ids": the item stays, and is renumbered in the scene as it is now.
  scene.remove(A);
  n->load(SavedState{}.add(TIME, "time", {StoredValue{1.5}}));
  EXPECT_EQ(itemRecord(*n).item, C);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 2);
  EXPECT_EQ(itemRecord(*n).panelTime, 1.5);

  auto fresh = node(BONE);
  fresh->load(SavedState{}.add(MODE, "mode", {StoredValue{1}}));
  EXPECT_EQ(boneRecord(*fresh).object, 0u);
  EXPECT_EQ(boneRecord(*fresh).bone, 0u);
  EXPECT_EQ(boneRecord(*fresh).timeMode, TM_ABS);
}

TEST_F(PersistenceTest, ModeOutOfRangeIsKeptAsRead) {
  auto n = node(ITEM);
  n->load(SavedState{}.add(MODE, "mode", {StoredValue{7}}));
  EXPECT_EQ(itemRecord(*n).timeMode, 7);
}

TEST_F(PersistenceTest, RepeatedBlockLastWins) {
  SavedState twice;
  twice.add(IDS, "ids", {StoredValue{A}})
      .add(TIME, "time", {StoredValue{1.0}})
      .add(IDS, "ids", {StoredValue{L2}})
      .add(TIME, "time", {StoredValue{3.0}});
  auto n = node(ITEM);
  n->load(twice);
  EXPECT_EQ(itemRecord(*n).item, L2);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 5);
  EXPECT_EQ(itemRecord(*n).panelTime, 3.0);
}

TEST_F(PersistenceTest, ShortIdsBlockStoresOnlyWhatWasRead) {
  auto n = node(BONE);
  BoneInfoInstance& r = boneRecord(*n);
  r.object = A;
  r.bone = A1;
  n->load(SavedState{}.add(IDS, "ids", {StoredValue{B}}));
  EXPECT_EQ(r.object, B);
  EXPECT_EQ(r.bone, A1);
  EXPECT_EQ(r.objectNumber, 2);
  EXPECT_EQ(r.boneNumber, 1);

  auto item = node(ITEM);
  itemRecord(*item).item = C;
  item->load(SavedState{}.add(IDS, "ids", {}));
  EXPECT_EQ(itemRecord(*item).item, C);
  EXPECT_EQ(itemRecord(*item).itemListNumber, 3);
}

TEST_F(PersistenceTest, UnknownIdentifierGetsNumberZero) {
  const ItemId stale = OBJECT_BITS | 0xFFF;
  auto n = node(ITEM);
  itemRecord(*n).itemListNumber = 9;
  n->load(SavedState{}.add(IDS, "ids", {StoredValue{stale}}));
  EXPECT_EQ(itemRecord(*n).item, stale);
  EXPECT_EQ(itemRecord(*n).itemListNumber, 0);
}

TEST_F(PersistenceTest, WithoutItemInfoNumbersStayAsTheyWere) {
  dropItemInfo();
  auto n = node(BONE);
  BoneInfoInstance& r = boneRecord(*n);
  r.objectNumber = 7;
  r.boneNumber = 8;
  r.cacheFlags = 0x48;
  n->load(SavedState{}.add(IDS, "ids", {StoredValue{B}, StoredValue{B1}}));
  EXPECT_EQ(r.object, B);
  EXPECT_EQ(r.bone, B1);
  EXPECT_EQ(r.objectNumber, 7);
  EXPECT_EQ(r.boneNumber, 8);
  EXPECT_EQ(r.cacheFlags.load(), 0x48u);
}

}  // namespace
}  // namespace kv::test
