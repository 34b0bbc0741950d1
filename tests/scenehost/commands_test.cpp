// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "host/module_loader.h"
#include "scenehost/module_path.h"
#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A root "A" at (0, 0, 5) turned a quarter heading, a child "B" at (1, 0, 0)
// under it, and "C" sliding along X from 0 to 10 over frames 0..10 at 10 fps.
constexpr const char* HIERARCHY = R"({
  "fps": 10,
  "items": [
    {"type": "object", "name": "A", "position": [0, 0, 5], "rotation": {"deg": [90, 0, 0]}, "pivot": %PIVOT%},
    {"type": "object", "name": "B", "parent": "A", "position": [1, 0, 0]},
    {"type": "object", "name": "C", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 10, "v": [10, 0, 0]}]}
  ],
  "nodes": [
    {"name": "pos", "server": "Item Pos", "item": "B"},
    {"name": "wpos", "server": "KvI_ITEMWP", "item": "B", "outputs": ["W Pos"]},
    {"name": "rootW", "server": "Item WPos", "item": "A", "outputs": ["W Pos"]},
    {"name": "slide", "server": "Item Pos", "item": "C", "outputs": ["X"]},
    {"name": "info", "server": "Item Info", "item": "B", "outputs": ["Parent", "Item"]}
  ]
})";

class CommandsTest : public ScenehostTest {
 protected:
  std::string hierarchy(const std::string& pivot = "[0, 0, 0]") {
    std::string text = HIERARCHY;
    text.replace(text.find("%PIVOT%"), 7, pivot);
    return write("hierarchy.json", text);
  }

  // eval --format json, parsed.
  nlohmann::json evalJson(const std::string& scene, const std::string& frames) {
    const RunResult result = run({"eval", scene, "--frames", frames, "--format", "json"});
    EXPECT_EQ(result.status, 0) << result.err;
    return nlohmann::json::parse(result.out);
  }
};

void expectVector(const nlohmann::json& value, double x, double y, double z) {
  ASSERT_TRUE(value.is_array()) << value;
  EXPECT_NEAR(value[0].get<double>(), x, 1e-9);
  EXPECT_NEAR(value[1].get<double>(), y, 1e-9);
  EXPECT_NEAR(value[2].get<double>(), z, 1e-9);
}

TEST_F(CommandsTest, ServersListsTheWholeTableAligned) {
  const RunResult result = run({"servers", KV_MODULE_PATH});
  ASSERT_EQ(result.status, 0) << result.err;
  const host::LoadedModule module(KV_MODULE_PATH);
  const std::vector<std::string> rows = lines(result.out);
  ASSERT_EQ(rows.size(), 3 + module.servers().size());  // title, header, rule, the servers
  EXPECT_EQ(rows[0], std::string(KV_MODULE_PATH) + ": " + std::to_string(module.servers().size()) + " servers");
  // Every field of a row starts in its header's column.
  for (std::size_t i = 0; i < module.servers().size(); ++i) {
    const host::ServerInfo& server = module.servers()[i];
    for (const auto& [column, text] : {std::pair{"class", server.className}, std::pair{"server", server.name},
                                       std::pair{"user name", server.tag(TAG_USER_NAME).value_or("")},
                                       std::pair{"menu group", server.tag(TAG_MENU_GROUP).value_or("")}}) {
      const std::string field = (rows[3 + i] + std::string(rows[1].size(), ' ')).substr(rows[1].find(column));
      EXPECT_EQ(field.substr(0, field.find("  ")), text) << rows[3 + i];
    }
  }
}

TEST_F(CommandsTest, EvalGivesClosedFormPositionsOfAHierarchy) {
  const nlohmann::json frames = evalJson(hierarchy(), "0..10:5")["frames"];
  ASSERT_EQ(frames.size(), 3u);
  for (const auto& frame : frames) {
    expectVector(frame["nodes"]["pos"]["Position"], 1, 0, 0);
    EXPECT_NEAR(frame["nodes"]["pos"]["X"].get<double>(), 1.0, 1e-12);
    // (1, 0, 0) turned a quarter heading is (0, 0, -1), then moved to (0, 0, 5).
    expectVector(frame["nodes"]["wpos"]["W Pos"], 0, 0, 4);
    expectVector(frame["nodes"]["rootW"]["W Pos"], 0, 0, 5);
  }
  EXPECT_DOUBLE_EQ(frames[1]["time"].get<double>(), 0.5);
  EXPECT_NEAR(frames[0]["nodes"]["slide"]["X"].get<double>(), 0.0, 1e-12);
  EXPECT_NEAR(frames[1]["nodes"]["slide"]["X"].get<double>(), 5.0, 1e-12);
  EXPECT_NEAR(frames[2]["nodes"]["slide"]["X"].get<double>(), 10.0, 1e-12);
  EXPECT_EQ(frames[0]["nodes"]["info"]["Parent"], nlohmann::json::parse(R"({"id": "10000001", "item": "A"})"));
  EXPECT_EQ(frames[0]["nodes"]["info"]["Item"]["id"], "10000002");
}

TEST_F(CommandsTest, EvalAppliesTheParentsPivot) {
  // With the root's pivot at (1, 0, 0) the child sits on the root's own position.
  const nlohmann::json frame = evalJson(hierarchy("[1, 0, 0]"), "0")["frames"][0];
  expectVector(frame["nodes"]["wpos"]["W Pos"], 0, 0, 5);
  expectVector(frame["nodes"]["rootW"]["W Pos"], 0, 0, 5);
}

TEST_F(CommandsTest, EvalTimeModesAndConnectedInputs) {
  const std::string scene = write("modes.json", R"({
    "fps": 10,
    "items": [{"type": "object", "name": "C", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 10, "v": [10, 0, 0]}]},
              {"type": "object", "name": "D", "position": [7, 8, 9]}],
    "nodes": [
      {"name": "abs", "server": "Item Pos", "item": "C", "mode": "Abs", "time": 0.3, "outputs": ["X"]},
      {"name": "rel", "server": "Item Pos", "item": "C", "mode": "Rel", "time": -0.1, "outputs": ["X"]},
      {"name": "timed", "server": "Item Pos", "item": "C", "mode": "Abs", "outputs": ["X"],
       "inputs": {"Time": [{"f": 0, "v": 1.0}, {"f": 10, "v": 0.0}]}},
      {"name": "cur", "server": "Item Pos", "item": "C", "outputs": ["X"], "inputs": {"Time": 0.9}},
      {"name": "other", "server": "Item Pos", "item": "C", "outputs": ["Position"],
       "inputs": {"Item": [{"f": 0, "v": "D"}, {"f": 5, "v": null}]}}
    ]})");
  const nlohmann::json frames = evalJson(scene, "0..10:5")["frames"];
  const double expectedRel[] = {-1.0, 4.0, 9.0};  // position at time - 0.1, held before frame 0
  for (int i = 0; i < 3; ++i) {
    const auto& nodes = frames[i]["nodes"];
    EXPECT_NEAR(nodes["abs"]["X"].get<double>(), 3.0, 1e-9);
    EXPECT_NEAR(nodes["rel"]["X"].get<double>(), std::max(0.0, expectedRel[i]), 1e-9);
    EXPECT_NEAR(nodes["timed"]["X"].get<double>(), 10.0 - 5.0 * i, 1e-9);  // the input's time, 1 down to 0 s
    EXPECT_NEAR(nodes["cur"]["X"].get<double>(), 5.0 * i, 1e-9);           // "Cur" ignores the Time input
  }
  expectVector(frames[0]["nodes"]["other"]["Position"], 7, 8, 9);
  expectVector(frames[1]["nodes"]["other"]["Position"], 0, 0, 0);  // the input delivers no item
}

TEST_F(CommandsTest, EvalTableAndCsv) {
  const std::string scene = hierarchy();
  const RunResult table = run({"eval", scene, "--frames", "5"});
  ASSERT_EQ(table.status, 0) << table.err;
  const std::vector<std::string> rows = lines(table.out);
  ASSERT_EQ(rows.size(), 2u + 4u + 1u + 1u + 1u + 2u);  // header, rule, then one row per output
  EXPECT_EQ(rows[0], "frame  time  node   output    value");
  EXPECT_EQ(rows[2], "    5   0.5  pos    Position     1.000000    0.000000    0.000000");
  EXPECT_EQ(rows[6], "    5   0.5  wpos   W Pos        0.000000    0.000000    4.000000");
  EXPECT_EQ(rows[9], "    5   0.5  info   Parent       10000001 A");

  const RunResult csv = run({"eval", scene, "--frames", "5", "--format=csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<std::string> records = lines(csv.out);
  EXPECT_EQ(records[0], "frame,time,node,output,type,x,y,z,item,unit");
  EXPECT_EQ(records[1], "5,0.5,pos,Position,vector,1,0,0,,");
  EXPECT_EQ(records[2], "5,0.5,pos,X,scalar,1,,,,");
  EXPECT_EQ(records[7], "5,0.5,slide,X,scalar,5,,,,");
  EXPECT_EQ(records[8], "5,0.5,info,Parent,integer,10000001,,,A,");
}

TEST_F(CommandsTest, HugeValuesKeepTheTableReadableAndReadBackExactly) {
  const std::string scene = write("far.json", R"({
    "items": [{"type": "object", "name": "Far", "position": [1e300, -2.5e10, 12345.678]}],
    "nodes": [{"name": "far", "server": "Item Pos", "item": "Far", "outputs": ["Position", "X"]}]})");
  const RunResult table = run({"eval", scene});
  ASSERT_EQ(table.status, 0) << table.err;
  const std::vector<std::string> rows = lines(table.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2], "    0     0  far   Position       1e+300    -2.5e+10   12345.678");
  EXPECT_EQ(rows[3], "    0     0  far   X              1e+300");
  std::istringstream values(rows[2].substr(rows[2].find("Position") + 8));
  const nlohmann::json delivered = evalJson(scene, "0")["frames"][0]["nodes"]["far"]["Position"];
  for (int i = 0; i < 3; ++i) {
    std::string text;
    values >> text;
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), delivered[i].get<double>()) << text;
  }
}

TEST_F(CommandsTest, AnEmptySceneSaysItHasNoNodes) {
  const std::string scene = write("empty.json", "{}");
  const RunResult result = run({"eval", scene});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "warning: " + scene +
                            ": the scene has no nodes, so there is nothing to evaluate (give them in \"nodes\")\n");
}

TEST_F(CommandsTest, BoneNodesSampleTheBone) {
  const std::string scene = write("bones.json", R"({
    "items": [{"type": "object", "name": "Body", "position": [10, 0, 0]},
              {"type": "bone", "name": "Upper", "owner": "Body", "position": [0, 2, 0], "restRotation": [0, 0, 0.25]},
              {"type": "bone", "name": "Lower", "owner": "Body", "parent": "Upper", "position": [0, 0, 3]}],
    "nodes": [{"name": "lower", "server": "Bone WPos", "object": "Body", "bone": "Lower", "outputs": ["W Pos"]},
              {"name": "info", "server": "Bone Info", "bone": "Upper", "outputs": ["Owner", "Parent", "restRot"]}]})");
  const nlohmann::json nodes = evalJson(scene, "0")["frames"][0]["nodes"];
  expectVector(nodes["lower"]["W Pos"], 10, 2, 3);
  EXPECT_EQ(nodes["info"]["Owner"]["item"], "Body");
  EXPECT_EQ(nodes["info"]["Parent"]["id"], "10000001");
  EXPECT_NEAR(nodes["info"]["restRot"][2].get<double>(), 0.25, 1e-6);
}

TEST_F(CommandsTest, ModuleErrorsNameTheFile) {
  const std::string scene = hierarchy();
  RunResult result = run({"eval", scene, "--module", path("none.so")}, false);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(path("none.so")), std::string::npos) << result.err;

  // A library that loads but is no module (found on the system's library path).
  result = run({"servers", "libm.so.6"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("libm.so.6 is not a module: it has no descriptor _mod_descrip"), std::string::npos)
      << result.err;
}

TEST_F(CommandsTest, ModuleFromOptionSceneFileOrBesideTheProgram) {
  std::string text = HIERARCHY;
  text.replace(text.find("%PIVOT%"), 7, "[0, 0, 0]");
  const std::string relative = std::filesystem::relative(KV_MODULE_PATH, path("")).string();
  const std::string named = write("named.json", "{\"module\": \"" + relative + "\"," + text.substr(1));
  RunResult result = run({"eval", named}, false);
  EXPECT_EQ(result.status, 0) << result.err;

  // --module wins over the scene file's module.
  const std::string wrong = write("wrong.json", "{\"module\": \"nowhere.so\"," + text.substr(1));
  EXPECT_EQ(run({"eval", wrong}).status, 0);
  result = run({"eval", wrong}, false);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("nowhere.so"), std::string::npos) << result.err;

  // The tests, like the program, sit one folder below the module they were built with.
  const std::string chosen = chooseModulePath("", nullptr);
  EXPECT_TRUE(std::filesystem::equivalent(chosen, KV_MODULE_PATH)) << chosen;
  EXPECT_EQ(run({"servers"}).status, 0);
}

TEST_F(CommandsTest, SceneErrorsNameWhatAndWhere) {
  const std::string base = R"({"items": [{"type": "object", "name": "A"}], "nodes": [)";
  struct Case {
    std::string nodes;
    std::string message;
  } cases[] = {
      {R"({"server": "Item Nothing"}]})", "bad.json: nodes[0].server: no node \"Item Nothing\" in "},
      {R"({"server": "Item Pos", "outputs": ["W Rot"]}]})",
       "bad.json: nodes[0].outputs[0]: \"Item Pos\" has no output \"W Rot\" (it has \"Position\", \"X\", \"Y\", "
       "\"Z\")"},
      {R"({"server": "Item Pos", "inputs": {"Speed": 1}}]})",
       "bad.json: nodes[0].inputs.Speed: \"Item Pos\" has no input \"Speed\" (it has \"Time\", \"Item\")"},
      {R"({"server": "Item Pos", "inputs": {"Item": 3}}]})",
       "bad.json: nodes[0].inputs.Item: an item input: connect an item name, or null for none"},
      {R"({"server": "Bone Pos", "item": "A"}]})",
       "bad.json: nodes[0]: \"Bone Pos\" is a bone node: give \"object\" and \"bone\", not \"item\""},
      {R"({"server": "Item Pos", "object": "A"}]})",
       "bad.json: nodes[0]: \"Item Pos\" is an item node: give \"item\", not \"object\" or \"bone\""},
  };
  for (const Case& c : cases) {
    const std::string scene = write("bad.json", base + c.nodes);
    const RunResult result = run({"eval", scene});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  // The parser stops at the end of the unexpected token, "object" ending in column 18.
  const RunResult malformed = run({"eval", write("broken.json", "{\"items\": [\n  {\"type\" \"object\"}]}")});
  EXPECT_EQ(malformed.status, 1);
  EXPECT_NE(malformed.err.find("broken.json: line 2, column 18: malformed JSON"), std::string::npos) << malformed.err;
}

TEST_F(CommandsTest, UsageErrorsExitTwoAndHelpExitsZero) {
  const std::string scene = hierarchy();
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"frobnicate"},
                                             {"eval"},
                                             {"eval", scene, "--format", "xml"},
                                             {"eval", scene, "--frames", "9..1"},
                                             {"eval", scene, "--bogus"},
                                             {"panel", scene},
                                             {"panel", scene, "pos", "--set", "Time"},
                                             {"save", scene, "extra"},
                                             {"eval", scene, "--plot"},
                                             {"eval", scene, "--plot", "out.jpg"}}) {
    const RunResult result = run(arguments, false);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments) << result.err;
    EXPECT_NE(result.err.find("--help"), std::string::npos);
  }
  for (const char* command : {"servers", "eval", "panel", "save"}) {
    const RunResult result = run({command, "--help"}, false);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind(std::string("usage: scenehost ") + command, 0), 0u) << result.out;
  }
  EXPECT_EQ(run({"--help"}, false).status, 0);
}

TEST_F(CommandsTest, MessagesSayWhatToFix) {
  // One object "Arm", one node placed by `node` (a JSON object's inside), each in a file of its own.
  int scenes = 0;
  const auto scene = [this, &scenes](const std::string& node) {
    return write("fix" + std::to_string(++scenes) + ".json",
                 R"({"items": [{"type": "object", "name": "Arm"}], "nodes": [{)" + node + "}]}");
  };
  const std::string plain = R"("name": "n", "server": "Item Pos", "item": "Arm")";
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string message;  // a part of what stderr says
  } cases[] = {
      {{"eval", scene(plain + R"(, "inputs": {"Time": "soon"})")},
       1,
       "fix1.json: nodes[0].inputs.Time: a time must be seconds or keys of seconds"},
      {{"eval", scene(plain + R"(, "inputs": {"Time": [{"f": 0, "v": "soon"}]})")},
       1,
       "nodes[0].inputs.Time: a time must be seconds or keys of seconds"},
      {{"eval", scene(plain), "--frames", "10..0"}, 2, "--frames 10..0: LAST (0) comes before FIRST (10)"},
      {{"eval", scene(plain), "--frames", "0..10:0"}, 2, "--frames 0..10:0: STEP must be at least 1, not 0"},
      {{"eval", scene(plain), "--frames", "0..3000000000"},
       2,
       "LAST 3000000000 is beyond the frame numbers a run counts (-2147483648 to 2147483647)"},
      {{"eval", scene(plain + R"(, "mode": 1e10)")},
       1,
       "nodes[0].mode: expected \"Cur\", \"Abs\" or \"Rel\" (or 0, 1, 2), not"},
      {{"eval", scene(R"("server": "Item Pos", "item": "arm")")},
       1,
       "nodes[0].item: no item named \"arm\" (did you mean \"Arm\"?)"},
      {{"eval", scene(R"("server": "Item Pos", "item": "Zebra")")}, 1, "nodes[0].item: no item named \"Zebra\"\n"},
      {{"eval", scene(plain + R"(, "mode": "abs")")}, 1, "(did you mean \"Abs\"?)"},
      {{"eval", scene(R"("server": "item wpos", "item": "Arm")")}, 1, "(did you mean \"Item WPos\"?)"},
      {{"eval", scene(plain + R"(, "outputs": ["Positon"])")},
       1,
       "has no output \"Positon\" (did you mean \"Position\"?) (it has"},
      {{"eval", scene(plain), "--angles", "degree"}, 2, "--angles takes radians or degrees, not \"degree\" (did you"},
      {{"eval", scene(plain), "--fram", "0..10"}, 2, "unknown option --fram (did you mean --frames?)\n"},
      {{"panel", scene(plain), "n", "--sve"}, 2, "unknown option --sve (did you mean --save?)\n"},
  };
  for (const Case& c : cases) {
    const RunResult result = run(c.arguments);
    EXPECT_EQ(result.status, c.status) << c.message << "\n" << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  const RunResult seed = run({"validate", KV_MODULE_PATH, "--seed", "18446744073709551616"}, false);
  EXPECT_EQ(seed.status, 2);
  EXPECT_NE(seed.err.find("--seed takes a whole number from 0 to 18446744073709551615, not"), std::string::npos)
      << seed.err;
}

TEST_F(CommandsTest, AModuleThatIsNotThereIsOneError) {
  const RunResult validate = run({"validate", path("none.so"), "--level", "quick"}, false);
  EXPECT_EQ(validate.status, 1);
  EXPECT_EQ(validate.out, "");  // no group ran
  EXPECT_EQ(validate.err, "scenehost: " + path("none.so") + ": no such module file\n");

  const std::string scene = write("named.json", R"({"module": "gone.so", "nodes": []})");
  const RunResult eval = run({"eval", scene}, false);
  EXPECT_EQ(eval.status, 1);
  EXPECT_EQ(eval.err, "scenehost: " + scene + ": \"module\": no module file " + path("gone.so") +
                          " (a \"module\" is relative to the scene file's folder); --module PATH overrides it\n");
}

TEST_F(CommandsTest, NodesThatCanOnlyDeliverZerosAreWarnedOfOnce) {
  const std::string scene = write("zeros.json", R"({
    "items": [{"type": "object", "name": "Body"}, {"type": "bone", "name": "Upper", "owner": "Body"}],
    "nodes": [{"name": "lost", "server": "Item Pos"},
              {"name": "boneless", "server": "Bone Pos", "object": "Body"},
              {"name": "nobody", "server": "Bone WPos", "bone": null},
              {"name": "fed", "server": "Item Pos", "inputs": {"Item": [{"f": 0, "v": null}, {"f": 1, "v": "Body"}]}},
              {"name": "set", "server": "Item Pos", "item": "Body"},
              {"name": "bone", "server": "Bone Pos", "bone": "Upper"}]})");
  const RunResult result = run({"eval", scene, "--frames", "0..2"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "warning: " + scene +
                            ": nodes[0]: \"lost\" (Item Pos) has no item, so every output is zero (give \"item\" or "
                            "connect the \"Item\" input)\n"
                            "warning: " +
                            scene +
                            ": nodes[1]: \"boneless\" (Bone Pos) has the object \"Body\" but no bone, so every output "
                            "is zero (give \"bone\" too)\n"
                            "warning: " +
                            scene +
                            ": nodes[2]: \"nobody\" (Bone WPos) has no item, so every output is zero (give \"bone\" or "
                            "connect the \"Item\" input)\n");
}

TEST_F(CommandsTest, IdentifiersAndAnglesReadAlikeInEveryFormat) {
  const std::string body = R"(
    "items": [{"type": "object", "name": "Body", "position": [1, 2, 3], "rotation": {"deg": [90, -30, 0]}},
              {"type": "bone", "name": "Upper", "owner": "Body"}],
    "nodes": [{"name": "info", "server": "Item Info", "item": "Body", "outputs": ["Position", "Rotation", "Item"]},
              {"name": "rot", "server": "Item Rot", "item": "Body", "outputs": ["P"]},
              {"name": "bone", "server": "Bone Info", "bone": "Upper", "outputs": ["Item", "Parent"]}]})";
  const std::string radians = write("radians.json", "{" + body);
  const std::string degrees = write("degrees.json", R"({"angles": "degrees",)" + body);

  // The scene's "angles" unless --angles says otherwise; positions stay as they are.
  for (const auto& [scene, option, unit] :
       {std::tuple{radians, "", 1.0}, std::tuple{degrees, "", 180 / M_PI}, std::tuple{radians, "degrees", 180 / M_PI},
        std::tuple{degrees, "radians", 1.0}}) {
    std::vector<std::string> arguments{"eval", scene, "--format", "json"};
    if (*option) arguments.insert(arguments.end(), {"--angles", option});
    const RunResult result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json output = nlohmann::json::parse(result.out);
    EXPECT_EQ(output["angles"], unit == 1.0 ? "radians" : "degrees");
    const nlohmann::json& nodes = output["frames"][0]["nodes"];
    expectVector(nodes["info"]["Position"], 1, 2, 3);
    expectVector(nodes["info"]["Rotation"], M_PI / 2 * unit, -M_PI / 6 * unit, 0);
    EXPECT_NEAR(nodes["rot"]["P"].get<double>(), -M_PI / 6 * unit, 1e-6 * unit) << scene << " " << option;
  }

  const RunResult table = run({"eval", degrees});
  const RunResult csv = run({"eval", degrees, "--format", "csv"});
  const nlohmann::json json = nlohmann::json::parse(run({"eval", degrees, "--format", "json"}).out);
  EXPECT_NE(table.out.find("info  Rotation    90.000000  -30.000000    0.000000"), std::string::npos) << table.out;
  EXPECT_NE(csv.out.find("0,0,rot,P,scalar,-29.99999"), std::string::npos) << csv.out;
  // CSV names the unit of each rotation in its own row's last column; other rows leave it empty.
  const std::vector<std::string> records = lines(csv.out);
  EXPECT_EQ(records[0], "frame,time,node,output,type,x,y,z,item,unit");
  for (std::size_t i = 1; i < records.size(); ++i) {
    const bool rotation =
        records[i].find(",Rotation,") != std::string::npos || records[i].find(",P,") != std::string::npos;
    EXPECT_EQ(records[i].substr(records[i].rfind(',') + 1), rotation ? "degrees" : "") << records[i];
  }
  EXPECT_NE(table.out.find("bone  Item         40010001 Body:Upper\n"), std::string::npos) << table.out;
  EXPECT_NE(csv.out.find("0,0,bone,Item,integer,40010001,,,Body:Upper,\n"), std::string::npos) << csv.out;
  EXPECT_EQ(json["frames"][0]["nodes"]["bone"]["Item"],
            nlohmann::json::parse(R"({"id": "40010001", "item": "Body:Upper"})"));
  EXPECT_NE(table.out.find("bone  Parent       10000001 Body\n"), std::string::npos) << table.out;
  EXPECT_EQ(json["frames"][0]["nodes"]["bone"]["Parent"]["item"], "Body");
}

}  // namespace
}  // namespace kv::scenehost::testing
