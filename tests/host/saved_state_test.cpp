// SPDX-License-Identifier: MIT
#include "host/saved_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/call_record.h"

namespace kv::host {
namespace {

constexpr std::uint32_t AAAA = 0x41414141;
constexpr std::uint32_t BBBB = 0x42424242;
constexpr std::uint32_t CCCC = 0x43434343;
const BlockIdent IDENTS[] = {{AAAA, "a"}, {BBBB, "b"}, {0, nullptr}};

TEST(SavedStateTest, BlockIdsPutTheFirstCharacterOnTop) {
  EXPECT_EQ(blockId("IIDS"), 0x49494453u);
  EXPECT_EQ(blockId("ITIM"), 0x4954494Du);
  EXPECT_EQ(fourCharacters(0x494D4F44), "IMOD");
}

TEST(SavedStateTest, WriterStoresBlocksInOrderWithTaggedValues) {
  SavedState state;
  CallRecord calls;
  StateWriter writer(state, &calls);
  const SaveState& table = *writer.table();
  const std::uint32_t ids[2] = {0x10000001, 0x40010001};
  const double time = -1.5;
  const std::int32_t mode = 2;
  table.writeU4(table.data, ids, 1);  // outside a block: dropped
  table.beginBlock(table.data, &IDENTS[0], 1);
  table.writeU4(table.data, ids, 2);
  table.endBlock(table.data);
  table.beginBlock(table.data, &IDENTS[1], 0);
  table.writeDP(table.data, &time, 1);
  table.writeI4(table.data, &mode, 1);
  table.endBlock(table.data);

  SavedState expected;
  expected.add(AAAA, "a", {std::uint32_t{0x10000001}, std::uint32_t{0x40010001}});
  expected.blocks.push_back({BBBB, "b", false, {-1.5, std::int32_t{2}}});
  EXPECT_EQ(state, expected);
  EXPECT_EQ(calls.entries(),
            (std::vector<std::string>{"save.writeU4 268435457", "save.beginBlock AAAA a 1",
                                      "save.writeU4 268435457 1073807361", "save.endBlock", "save.beginBlock BBBB b 0",
                                      "save.writeDP -1.5", "save.writeI4 2", "save.endBlock"}));
}

TEST(SavedStateTest, SameStateComparesDoublesByTheirBits) {
  const double nan = std::nan("");
  const SavedState withNan = SavedState{}.add(AAAA, "a", {nan, 1.0});
  EXPECT_FALSE(withNan == withNan);  // why sameState exists
  EXPECT_TRUE(sameState(withNan, SavedState{}.add(AAAA, "a", {nan, 1.0})));
  EXPECT_FALSE(sameState(withNan, SavedState{}.add(AAAA, "a", {-nan, 1.0})));
  EXPECT_FALSE(sameState(SavedState{}.add(AAAA, "a", {0.0}), SavedState{}.add(AAAA, "a", {-0.0})));
  // The same number held as another kind, another token, or one value more, differs.
  EXPECT_FALSE(sameState(SavedState{}.add(AAAA, "a", {1.0}), SavedState{}.add(AAAA, "a", {std::int32_t{1}})));
  EXPECT_FALSE(sameState(SavedState{}.add(AAAA, "a", {1.0}), SavedState{}.add(AAAA, "b", {1.0})));
  EXPECT_FALSE(sameState(SavedState{}.add(AAAA, "a", {1.0}), SavedState{}.add(AAAA, "a", {1.0, 1.0})));
}

TEST(SavedStateTest, FindBlockSkipsUnlistedBlocksAndSeesDuplicates) {
  SavedState state;
  state.add(CCCC, "c", {std::int32_t{9}})
      .add(BBBB, "b", {2.5})
      .add(AAAA, "a", {std::uint32_t{1}})
      .add(CCCC, "c", {})
      .add(BBBB, "b", {7.5});
  StateReader reader(state);
  const LoadState& table = *reader.table();
  std::vector<std::uint32_t> found;
  std::vector<double> times;
  for (std::uint32_t id; (id = table.findBlock(table.data, IDENTS)) != 0;) {
    found.push_back(id);
    if (id == BBBB) {
      double t = 0;
      EXPECT_EQ(table.readDP(table.data, &t, 1), 1);
      times.push_back(t);
    }
    table.endBlock(table.data);
  }
  EXPECT_EQ(found, (std::vector<std::uint32_t>{BBBB, AAAA, BBBB}));
  EXPECT_EQ(times, (std::vector<double>{2.5, 7.5}));
  EXPECT_EQ(table.findBlock(table.data, IDENTS), 0u);  // stays at the end
}

TEST(SavedStateTest, ReadsAreShortAndConvertBetweenKinds) {
  SavedState state;
  state.add(AAAA, "a", {std::uint32_t{0xFFFFFFFE}, std::int32_t{-3}, 4.75});
  StateReader reader(state);
  const LoadState& table = *reader.table();

  std::int32_t beforeEntering = 5;
  EXPECT_EQ(table.readI4(table.data, &beforeEntering, 1), 0);
  EXPECT_EQ(beforeEntering, 5);

  ASSERT_EQ(table.findBlock(table.data, IDENTS), AAAA);
  std::int32_t signedBits = 0;
  EXPECT_EQ(table.readI4(table.data, &signedBits, 1), 1);
  EXPECT_EQ(signedBits, -2);
  std::uint32_t rest[4] = {11, 11, 11, 11};
  EXPECT_EQ(table.readU4(table.data, rest, 4), 2);  // only two values are left
  EXPECT_EQ(rest[0], 0xFFFFFFFDu);
  EXPECT_EQ(rest[1], 4u);
  EXPECT_EQ(rest[2], 11u);
  double none = 1;
  EXPECT_EQ(table.readDP(table.data, &none, 1), 0);
  table.endBlock(table.data);
  EXPECT_EQ(table.readDP(table.data, &none, 1), 0);
  EXPECT_EQ(none, 1.0);
}

TEST(SavedStateTest, DoublesThatNoIntegerHoldsAreReadAsZero) {
  SavedState state;
  state.add(AAAA, "a", {std::nan(""), 1e300, -3e9, -7.9, 4294967295.0});
  StateReader reader(state);
  const LoadState& table = *reader.table();
  ASSERT_EQ(table.findBlock(table.data, IDENTS), AAAA);
  std::int32_t i4[4] = {9, 9, 9, 9};
  EXPECT_EQ(table.readI4(table.data, i4, 4), 4);
  EXPECT_EQ(i4[0], 0);
  EXPECT_EQ(i4[1], 0);
  EXPECT_EQ(i4[2], 0);
  EXPECT_EQ(i4[3], -7);
  std::uint32_t u4 = 9;
  EXPECT_EQ(table.readU4(table.data, &u4, 1), 1);
  EXPECT_EQ(u4, 4294967295u);
}

TEST(SavedStateTest, ReaderRecordsWhatWasAskedAndRead) {
  SavedState state;
  state.add(AAAA, "a", {std::uint32_t{1}});
  CallRecord calls;
  StateReader reader(state, &calls);
  const LoadState& table = *reader.table();
  std::uint32_t values[2];
  table.findBlock(table.data, IDENTS);
  table.readU4(table.data, values, 2);
  table.endBlock(table.data);
  table.findBlock(table.data, IDENTS);
  EXPECT_EQ(calls.entries(),
            (std::vector<std::string>{"load.findBlock AAAA", "load.readU4 2 1", "load.endBlock", "load.findBlock 0"}));
}

}  // namespace
}  // namespace kv::host
