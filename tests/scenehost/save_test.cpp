// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "scenehost/errors.h"
#include "scenehost/state_json.h"
#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* RIG = R"({
  "comment": "kept as written",
  "fps": 10,
  "frames": "0..10:5",
  "items": [
    {"type": "object", "name": "A", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 10, "v": [0, 10, 0]}]},
    {"type": "object", "name": "B", "parent": "A", "position": [1, 0, 0]},
    {"type": "bone", "name": "Bn", "owner": "A", "position": [0, 0, 2]}
  ],
  "nodes": [
    {"name": "item", "server": "Item WPos", "item": "B", "mode": "Rel", "time": -0.25},
    {"name": "bone", "server": "Bone Info", "object": "A", "bone": "Bn", "outputs": ["W Pos", "Owner"]}
  ]
})";

class SaveTest : public ScenehostTest {};

TEST_F(SaveTest, WritesTheBlocksTheModuleSavedAndLoadsThemBack) {
  const std::string scene = write("rig.json", RIG);
  const RunResult saved = run({"save", scene, "-o", path("saved.json")});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(read(scene), RIG);  // -o leaves the scene file as it was

  Json document = Json::parse(read(path("saved.json")));
  EXPECT_EQ(document["comment"], "kept as written");
  // B is the second object, Bn the first bone of A; mode "Rel" is 2.
  EXPECT_EQ(document["nodes"][0]["state"], Json::parse(R"([
      {"block": "IIDS", "token": "ids", "u4": [268435458]},
      {"block": "ITIM", "token": "time", "dp": [-0.25]},
      {"block": "IMOD", "token": "mode", "i4": [2]}])"));
  EXPECT_EQ(document["nodes"][1]["state"][0], Json::parse(R"({"block": "IIDS", "token": "ids",
      "u4": [268435457, 1073807361]})"));

  // With the settings gone, only the saved state can give the nodes their items.
  for (Json& node : document["nodes"]) {
    for (const char* key : {"item", "object", "bone", "mode", "time"}) node.erase(key);
  }
  const std::string stateOnly = write("state_only.json", document.dump(2));
  const RunResult fromSettings = run({"eval", scene, "--format", "csv"});
  const RunResult fromState = run({"eval", stateOnly, "--format", "csv"});
  ASSERT_EQ(fromState.status, 0) << fromState.err;
  EXPECT_EQ(fromState.out, fromSettings.out);
  EXPECT_NE(fromState.out.find("0,0,item,W Pos,vector,1,0,0,"), std::string::npos) << fromState.out;  // A at rest then

  // Saving again what was loaded from the state gives the same state.
  ASSERT_EQ(run({"save", stateOnly}).status, 0);
  EXPECT_EQ(Json::parse(read(stateOnly))["nodes"], document["nodes"]);
}

TEST_F(SaveTest, FailuresLeaveNoFileBehind) {
  const std::string scene = write("rig.json", RIG);
  const RunResult noFolder = run({"save", scene, "-o", path("missing/out.json")});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find(path("missing/out.json") + ": cannot write"), std::string::npos) << noFolder.err;

  std::string broken = RIG;
  broken.replace(broken.find("Item WPos"), 9, "Item Warp");
  const std::string bad = write("bad.json", broken);
  const RunResult unknown = run({"save", bad});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(read(bad), broken);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("")), {}), 2);  // rig.json and bad.json only
}

TEST_F(SaveTest, WarnsWhenTheStateDisagreesWithTheSettings) {
  const std::string scene = write("rig.json", RIG);
  ASSERT_EQ(run({"save", scene}).status, 0);
  EXPECT_EQ(run({"eval", scene}).err, "");  // the saved state matches the settings
  Json document = Json::parse(read(scene));
  document["nodes"][0]["item"] = "A";
  write("rig.json", document.dump());
  const RunResult result = run({"eval", scene});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.err.find("nodes[0]: \"state\" disagrees with the node's settings"), std::string::npos) << result.err;
}

TEST(StateJsonTest, RoundTripsKindsAndLeafFlags) {
  host::SavedState state;
  state.add(0x41424344, "mixed", {std::int32_t{-3}, std::uint32_t{4000000000u}, 0.1});
  state.add(0x45464748, "empty", {});
  state.blocks.back().leaf = false;
  const Json json = stateToJson(state);
  EXPECT_EQ(json[0]["block"], "ABCD");
  EXPECT_EQ(json[0]["values"], Json::parse(R"([{"i4": -3}, {"u4": 4000000000}, {"dp": 0.1}])"));
  EXPECT_EQ(json[1]["leaf"], false);
  EXPECT_EQ(stateFromJson(Json::parse(json.dump()), "s"), state);
}

TEST(StateJsonTest, RejectsValuesOutOfRange) {
  auto error = [](const char* text) -> std::string {
    try {
      stateFromJson(Json::parse(text), "f.json: nodes[0].state");
    } catch (const SceneError& e) {
      return e.what();
    }
    return "(no error)";
  };
  EXPECT_EQ(error(R"([{"block": "IIDS", "u4": [1, -1]}])"),
            "f.json: nodes[0].state[0].u4[1]: expected an unsigned 32-bit integer");
  EXPECT_EQ(error(R"([{"block": "IMOD", "i4": [2147483648]}])"),
            "f.json: nodes[0].state[0].i4[0]: expected a signed 32-bit integer");
  EXPECT_EQ(error(R"([{"block": "IDS", "u4": []}])"), "f.json: nodes[0].state[0].block: expected four characters");
  EXPECT_EQ(error(R"([{"token": "ids"}])"), "f.json: nodes[0].state[0]: missing \"block\"");
}

}  // namespace
}  // namespace kv::scenehost::testing

namespace kv::scenehost::testing {
namespace {

TEST_F(SaveTest, WritesThroughLinksKeepsPermissionsAndLayoutAndRefusesDevices) {
  const std::string scene = write("rig.json", RIG);
  std::filesystem::permissions(scene, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                          std::filesystem::perms::group_read);
  std::filesystem::create_symlink("rig.json", path("link.json"));
  ASSERT_EQ(run({"save", path("link.json")}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(path("link.json")));
  EXPECT_EQ(
      std::filesystem::status(scene).permissions() & std::filesystem::perms::all,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
  // Only the "state" entries are new: every line written by hand is still there.
  const std::string saved = read(scene);
  std::string line;
  for (std::istringstream lines(RIG); std::getline(lines, line);) {
    if (line.find("\"nodes\"") == std::string::npos && line.find("\"server\"") == std::string::npos &&
        line.find("]") != 0) {
      EXPECT_NE(saved.find(line), std::string::npos) << line;
    }
  }
  EXPECT_NE(saved.find(R"("state": [{"block": "IIDS", "token": "ids", "u4": [268435458]}, )"), std::string::npos)
      << saved;

  const RunResult device = run({"save", scene, "-o", "/dev/null"});
  EXPECT_EQ(device.status, 1);
  EXPECT_EQ(device.err, "scenehost: /dev/null: not a regular file; only regular files are written\n");
}

TEST_F(SaveTest, StaleStatesNameTheFieldAndCanBeRebuilt) {
  const std::string scene = write("rig.json", RIG);
  ASSERT_EQ(run({"save", scene}).status, 0);
  std::string text = read(scene);
  text.replace(text.find("\"mode\": \"Rel\""), 13, "\"mode\": \"Abs\"");
  write("rig.json", text);
  const RunResult stale = run({"eval", scene});
  EXPECT_NE(
      stale.err.find("nodes[0]: \"state\" disagrees with the node's settings: \"mode\" is 1 but the state holds 2"),
      std::string::npos)
      << stale.err;
  ASSERT_EQ(run({"save", scene, "--from-settings"}).status, 0);
  EXPECT_EQ(run({"eval", scene}).err, "");
}

}  // namespace
}  // namespace kv::scenehost::testing
