// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/module_loader.h"
#include "scenehost/scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

class CheckTest : public ScenehostTest {
 protected:
  static RunResult check(const std::string& module) { return run({"check", module}, false); }
};

std::vector<std::string> outputLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> failures(const std::string& text) {
  std::vector<std::string> found;
  for (const std::string& line : outputLines(text)) {
    if (line.starts_with("FAIL ")) found.push_back(line);
  }
  return found;
}

bool hasLine(const std::string& text, const std::string& line) {
  for (const std::string& candidate : outputLines(text)) {
    if (candidate == line) return true;
  }
  return false;
}

TEST_F(CheckTest, RealModulePassesEveryCheckForEveryServer) {
  const RunResult result = check(KV_MODULE_PATH);
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_TRUE(failures(result.out).empty()) << result.out;
  // 5 descriptor checks, start-up, table end, the server count; per node
  // server: tags, its panel, activation, bindings, create, evaluation,
  // save/load, copy, new time, change-ID, destroy, failed activation; per
  // panel server (as many): the pairing and two activations.
  const std::size_t servers = host::LoadedModule(KV_MODULE_PATH).servers().size();
  EXPECT_EQ(outputLines(result.out).back(), std::to_string(8 + servers / 2 * (12 + 3)) + " passed, 0 failed");
  EXPECT_TRUE(hasLine(result.out, "PASS descriptor sync word: 0x04121994")) << result.out;
  const std::string tableEnd = "PASS server table ends with a null record: after " + std::to_string(servers);
  EXPECT_TRUE(hasLine(result.out, tableEnd + " servers")) << result.out;
  EXPECT_TRUE(hasLine(result.out, "PASS KvI_ITEM: evaluation with no item: 15 outputs, one zero value each"));
  EXPECT_TRUE(hasLine(result.out, "PASS KvI_BONE: evaluation with no item: 18 outputs, one zero value each"));
  EXPECT_TRUE(hasLine(result.out, "PASS KvI_BONEMX: activation without \"NodeFuncs\": 2 and the record untouched"));
  EXPECT_TRUE(hasLine(result.out, "PASS KvI_ITEMWR: panel activation at version 3: 1 and no panel"));
}

TEST_F(CheckTest, WrongSyncWordStopsAtTheDescriptor) {
  const RunResult result = check(KV_BROKEN_SYNC_MODULE_PATH);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(failures(result.out),
            std::vector<std::string>{"FAIL descriptor sync word: expected 0x04121994, saw 0x12345678"})
      << result.out;
  // The host reads nothing past a wrong sync word: neither start-up nor servers.
  EXPECT_EQ(outputLines(result.out).back(), "2 passed, 1 failed") << result.out;
  EXPECT_NE(result.err.find(std::string(KV_BROKEN_SYNC_MODULE_PATH) + ": 1 check failed"), std::string::npos)
      << result.err;
}

TEST_F(CheckTest, BrokenServersFailNamingTheCheckAndWhatWasSeen) {
  const RunResult result = check(KV_BROKEN_NODES_MODULE_PATH);
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> expected{
      "FAIL Bad_REFUSE: its panel: expected a \"NodeInterface\" server of the same name, saw none",
      "FAIL Bad_NOINPUT: tags: expected a user name (tag 0x00000000), a menu group (tag 0x00070000) and \"All\" "
      "(tag 0x00080000), saw \"No Input\" 0x00000000, \"Broken\" 0x00070000",
      "FAIL Bad_NOINPUT: its panel: expected a \"NodeInterface\" server of the same name, saw none",
      "FAIL Bad_ORPHAN: panel of a node: expected a \"NodeHandler\" server of the same name, saw none",
      "FAIL Bad_REFUSE: activation: expected 0, saw 2",
      "FAIL Bad_NOINPUT: activation binds every function: expected every instance, item and render function and "
      "evaluate, saw unbound: copy, load, save, description line, use-items, change-ID, init, cleanup, new time",
      "FAIL Bad_NOINPUT: create registers its inputs and outputs: expected inputs \"Time\" (scalar) and \"Item\" "
      "(integer) and at least one output, saw no inputs; 1 output",
      "FAIL Bad_NOINPUT: evaluation with no item: expected one zero value of its type from every output, saw "
      "\"Out\": 0 values",
      "FAIL Bad_NOINPUT: activation without \"NodeFuncs\": expected 2 and the handler record untouched, saw 0 and "
      "the record written",
  };
  EXPECT_EQ(failures(result.out), expected) << result.out;
  // A refused activation leaves its record as it was: that check passes.
  EXPECT_TRUE(hasLine(result.out, "PASS Bad_REFUSE: activation without \"NodeFuncs\": 2 and the record untouched"));
  EXPECT_TRUE(outputLines(result.out).back().ends_with(" passed, 9 failed")) << result.out;
  EXPECT_NE(result.err.find("9 checks failed"), std::string::npos) << result.err;
}

TEST_F(CheckTest, FileThatIsNoLibraryFailsTheFirstCheck) {
  const std::string text = write("module.so", "not a library");
  const RunResult result = check(text);
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> failed = failures(result.out);
  ASSERT_EQ(failed.size(), 1u) << result.out;
  EXPECT_TRUE(failed[0].starts_with("FAIL module file loads: expected a loadable library, saw ")) << failed[0];
  EXPECT_NE(failed[0].find("module.so"), std::string::npos) << failed[0];  // the system's reason names the file
  EXPECT_EQ(outputLines(result.out).back(), "0 passed, 1 failed");

  EXPECT_EQ(run({"check", text, "extra"}, false).status, 2);
}

}  // namespace
}  // namespace kv::scenehost::testing
