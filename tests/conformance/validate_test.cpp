// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "conformance/report.h"
#include "scenehost/scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> failedChecks(const std::string& text) {
  std::vector<std::string> found;
  for (const std::string& line : linesOf(text)) {
    if (line.starts_with("FAIL ")) found.push_back(line);
  }
  return found;
}

// The lines that start with `prefix`.
std::vector<std::string> startingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : linesOf(text)) {
    if (line.starts_with(prefix)) found.push_back(line);
  }
  return found;
}

class ValidateTest : public ScenehostTest {
 protected:
  static RunResult validate(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "validate");
    return run(arguments, false);
  }
};

TEST_F(ValidateTest, RealModulePassesEveryGroup) {
  const RunResult result = validate({KV_MODULE_PATH, "--level", "quick", "--seed", "7"});
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_TRUE(failedChecks(result.out).empty()) << result.out;
  EXPECT_EQ(linesOf(result.out).front(), std::string(KV_MODULE_PATH) + ": level quick, seed 7");
  for (const char* group : {"scan", "lifecycle", "state", "parameters", "evaluation", "threads", "allocations"}) {
    const std::vector<std::string> summary = startingWith(result.out, std::string(group) + ": ");
    ASSERT_FALSE(summary.empty()) << group << "\n" << result.out;
    EXPECT_TRUE(summary.back().ends_with(" passed, 0 failed")) << summary.back();
    EXPECT_FALSE(summary.back().starts_with(std::string(group) + ": 0 passed")) << summary.back();
  }
  // The contract checks of `check` are the scan group's first checks.
  EXPECT_EQ(startingWith(result.out, "PASS descriptor sync word: 0x04121994").size(), 1u) << result.out;
}

TEST_F(ValidateTest, OnlyRunsTheNamedGroupsAndTheSeedRepeatsThem) {
  const RunResult first = validate({KV_MODULE_PATH, "--only", "state,lifecycle", "--level", "quick", "--seed", "42"});
  EXPECT_EQ(first.status, 0) << first.out;
  std::vector<std::string> headings = startingWith(first.out, "== ");
  // Groups run in their own order, whatever the order named.
  EXPECT_EQ(headings, (std::vector<std::string>{"== lifecycle", "== state"})) << first.out;

  const RunResult again = validate({KV_MODULE_PATH, "--only=state,lifecycle", "--level=quick", "--seed=42"});
  EXPECT_EQ(again.out, first.out);
  const RunResult other = validate({KV_MODULE_PATH, "--only", "state,lifecycle", "--level", "quick", "--seed", "43"});
  EXPECT_NE(other.out, first.out);  // the counts of random actions differ
}

TEST_F(ValidateTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> wrong{
      {"--level", "fast"},
      {"--seed", "12x"},
      {"--seed", "-1"},
      {"--seed", "18446744073709551616"},
      {"--only", "scan,speed"},
      {"--only", "scan,"},
      {"--frames", "1..2"},
      {KV_MODULE_PATH, "extra"},
      {"--level"},
  };
  for (const std::vector<std::string>& arguments : wrong) {
    const RunResult result = validate(arguments);
    EXPECT_EQ(result.status, 2) << arguments[0];
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_NE(result.err.find("\"scenehost validate --help\""), std::string::npos) << result.err;
  }
  EXPECT_NE(validate({"--only", "speed"}).err.find("not \"speed\""), std::string::npos);

  const RunResult help = validate({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: scenehost validate [MODULE]")) << help.out;
  EXPECT_NE(run({"--help"}, false).out.find("validate [MODULE] [OPTIONS]"), std::string::npos);
}

TEST_F(ValidateTest, BrokenModuleFailsTheGroupsItBreaks) {
  const RunResult result = validate({KV_BROKEN_NODES_MODULE_PATH, "--level", "quick", "--seed", "1"});
  EXPECT_EQ(result.status, 1);
  const auto failedIn = [&](const std::string& group) {
    const std::vector<std::string> summary = startingWith(result.out, group + ": ");
    return !summary.empty() && !summary.back().ends_with(" 0 failed");
  };
  for (const char* group : {"scan", "lifecycle", "state", "parameters", "evaluation", "threads", "allocations"}) {
    EXPECT_TRUE(failedIn(group)) << group << "\n" << result.out;
  }
  const std::vector<std::string> failed = failedChecks(result.out);
  const auto has = [&](const std::string& prefix) {
    for (const std::string& line : failed) {
      if (line.starts_with(prefix)) return true;
    }
    return false;
  };
  EXPECT_TRUE(has("FAIL scan: server table: expected \"NodeHandler\" servers, each with a \"NodeInterface\""))
      << result.out;
  EXPECT_TRUE(has("FAIL scan: Bad_REFUSE: every host build: expected 0 and a working node")) << result.out;
  EXPECT_TRUE(has("FAIL scan: Bad_NOINPUT: each build without its output functions: expected 2, saw ")) << result.out;
  EXPECT_TRUE(has("FAIL lifecycle: create: expected an instance saving zero settings, saw ")) << result.out;
  EXPECT_TRUE(has("FAIL allocations: the counter sees the module's allocations")) << result.out;
  EXPECT_NE(result.err.find(std::to_string(failed.size()) + " checks failed"), std::string::npos) << result.err;
}

TEST_F(ValidateTest, ModuleThatDoesNotLoadFailsEveryGroup) {
  const RunResult result = validate({KV_BROKEN_SYNC_MODULE_PATH, "--only", "scan,state,threads", "--seed", "1"});
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> failed = failedChecks(result.out);
  ASSERT_EQ(failed.size(), 3u) << result.out;
  EXPECT_EQ(failed[0], "FAIL descriptor sync word: expected 0x04121994, saw 0x12345678");
  EXPECT_TRUE(failed[1].starts_with("FAIL state: module loads: expected a module the host can load, saw "))
      << failed[1];
  EXPECT_TRUE(failed[2].starts_with("FAIL threads: module loads: ")) << failed[2];
}

// The real module with one fault: the group that looks for it fails with the
// check that names it, and a group that does not look passes.
TEST_F(ValidateTest, EachFaultFailsTheCheckThatLooksForIt) {
  struct Fault {
    const char* module;
    const char* group;
    const char* failure;  // the start of the first FAIL line
    const char* unaffected;
  };
  const Fault faults[] = {
      {KV_FAULTY_ALLOCATE_MODULE_PATH, "allocations",
       "FAIL allocations: evaluation: expected no heap allocation while evaluating every output, saw ", "evaluation"},
      {KV_FAULTY_NAN_MODULE_PATH, "evaluation", "FAIL evaluation: random scenes, cameras and bones: ", "threads"},
      {KV_FAULTY_LOAD_MODULE_PATH, "state", "FAIL state: save, load into a fresh instance, save again: ", "threads"},
      {KV_FAULTY_CHANGE_ID_MODULE_PATH, "lifecycle",
       "FAIL lifecycle: settings after copy, load and change-ID: ", "state"},
  };
  for (const Fault& fault : faults) {
    const RunResult found = validate({fault.module, "--only", fault.group, "--level", "quick", "--seed", "3"});
    EXPECT_EQ(found.status, 1) << fault.group;
    const std::vector<std::string> failed = failedChecks(found.out);
    ASSERT_FALSE(failed.empty()) << found.out;
    for (const std::string& line : failed) {
      EXPECT_TRUE(line.starts_with("FAIL " + std::string(fault.group) + ": ")) << line;
    }
    EXPECT_TRUE(failed.front().starts_with(fault.failure)) << failed.front();

    const RunResult missed = validate({fault.module, "--only", fault.unaffected, "--level", "quick", "--seed", "3"});
    EXPECT_EQ(missed.status, 0) << missed.out;
  }
}

TEST(ValidateTally, ReportsCountsAndTheFirstFailureAndFailsWhenNothingRan) {
  std::ostringstream out;
  conformance::CheckReport report(out);
  conformance::Tally passing, failing, empty;
  for (int i = 0; i < 3; ++i) passing.record(true, [] { return std::string("never asked"); });
  for (int i = 0; i < 4; ++i) failing.record(i % 2 == 0, [i] { return "case " + std::to_string(i); });
  EXPECT_TRUE(passing.report(report, "a", "all", "case"));
  EXPECT_FALSE(failing.report(report, "b", "all", "case"));
  EXPECT_FALSE(empty.report(report, "c", "all", "case"));
  EXPECT_EQ(out.str(),
            "PASS a: 3 cases\n"
            "FAIL b: expected all, saw 2 of 4 cases failed, first: case 1\n"
            "FAIL c: expected all, saw no case ran\n");
  EXPECT_EQ(report.passed(), 1);
  EXPECT_EQ(report.failed(), 2);
}

}  // namespace
}  // namespace kv::scenehost::testing
