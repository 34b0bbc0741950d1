// SPDX-License-Identifier: MIT
#include "host/call_record.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kv::host {
namespace {

TEST(CallRecordTest, CountsAndMatchesByPrefix) {
  CallRecord calls;
  calls.add("input.isConnected Time");
  calls.add("input.evaluate Time");
  calls.add("input.isConnected Item");
  calls.add("itemInfo.param 10000001 6 0.5");
  EXPECT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls.count("input."), 3u);
  EXPECT_EQ(calls.count("input.isConnected"), 2u);
  EXPECT_EQ(calls.count("output."), 0u);
  EXPECT_EQ(calls.matching("input.isConnected"),
            (std::vector<std::string>{"input.isConnected Time", "input.isConnected Item"}));
  EXPECT_TRUE(calls.contains("input.evaluate Time"));
  EXPECT_FALSE(calls.contains("input.evaluate"));
  calls.clear();
  EXPECT_EQ(calls.size(), 0u);
}

TEST(CallRecordTest, KeepsWhatItIsToldAndFormatsNothingElse) {
  CallRecord calls;
  int formatted = 0;
  const auto arguments = [&] {
    ++formatted;
    return std::string("10000001");
  };
  calls.setEnabled(false);
  calls.record("itemInfo.next", arguments);
  calls.add("y");
  EXPECT_EQ(formatted, 0);
  EXPECT_EQ(calls.size(), 0u);
  calls.keepOnly("command");
  calls.record("itemInfo.next", arguments);
  calls.add("itemInfo.name 10000001");
  calls.record("command", [] { return std::string("SelectItem 10000001"); });
  calls.add("command x");
  EXPECT_EQ(formatted, 0);
  EXPECT_EQ(calls.entries(), (std::vector<std::string>{"command SelectItem 10000001", "command x"}));
  calls.clear();
  calls.setEnabled(true);
  calls.record("itemInfo.next", arguments);
  calls.record("panel.refresh");
  EXPECT_EQ(formatted, 1);
  EXPECT_EQ(calls.entries(), (std::vector<std::string>{"itemInfo.next 10000001", "panel.refresh"}));
}

TEST(CallRecordTest, KeepsEveryEntryFromManyThreads) {
  CallRecord calls;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&calls, t] {
      for (int i = 0; i < 500; ++i) calls.add("t" + std::to_string(t));
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(calls.size(), 2000u);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(calls.count("t" + std::to_string(t)), 500u);
}

TEST(CallRecordTest, FormatsIdsAndDoubles) {
  EXPECT_EQ(hexId(0x1000000A), "1000000A");
  EXPECT_EQ(hexId(5), "00000005");
  EXPECT_EQ(formatDouble(0.5), "0.5");
  EXPECT_EQ(formatDouble(-2.0), "-2");
  EXPECT_EQ(formatDouble(0.1), "0.1");
  EXPECT_EQ(formatDouble(1.0 / 3.0), "0.3333333333333333");
}

}  // namespace
}  // namespace kv::host
