// SPDX-License-Identifier: MIT
#include "scenehost/scene_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "scenehost/errors.h"
#include "scenehost/text_file.h"

namespace kv::scenehost {
namespace {

using host::Triple;

constexpr double PI = std::numbers::pi;

SceneFile parse(const std::string& text) { return parseSceneFile(parseJsonText(text, "t.json"), "t.json"); }

// The message of the SceneError that parsing `text` throws.
std::string parseError(const std::string& text) {
  try {
    parse(text);
  } catch (const SceneError& error) {
    return error.what();
  }
  return "(no error)";
}

ItemId find(const SceneFile& file, int type, const std::string& name, ItemId owner = 0) {
  for (ItemId id : file.scene.list(type, owner)) {
    if (file.scene.name(id) == name) return id;
  }
  return 0;
}

void expectTriple(const Triple& actual, const Triple& expected) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-12) << "component " << i;
}

TEST(SceneFileTest, ReadsConstantsKeysAndAngleUnits) {
  const SceneFile file = parse(R"({
    "fps": 10,
    "angles": "degrees",
    "items": [
      {"type": "object", "name": "A", "position": [1, 2, 3], "rotation": [90, 0, -45],
       "scale": [{"f": 0, "v": [1, 1, 1]}, {"f": 20, "v": [3, 1, 1]}],
       "pivotRotation": {"rad": [0.5, 0, 0]}},
      {"type": "object", "name": "B", "position": [{"t": 1, "v": [0, 0, 10]}, {"t": 0, "v": [0, 0, 0]}]}
    ]
  })");
  const ItemId a = find(file, IT_OBJECT, "A");
  const ItemId b = find(file, IT_OBJECT, "B");
  EXPECT_EQ(file.fps, 10.0);
  expectTriple(file.scene.param(a, PARAM_POSITION, 7.0), {1, 2, 3});
  expectTriple(file.scene.param(a, PARAM_ROTATION, 0.0), {PI / 2, 0, -PI / 4});
  expectTriple(file.scene.param(a, PARAM_PIVOT_ROTATION, 0.0), {0.5, 0, 0});
  // Keys by frame: frame 20 is 2 s at 10 fps; halfway is 1 s.
  expectTriple(file.scene.param(a, PARAM_SCALING, 1.0), {2, 1, 1});
  expectTriple(file.scene.param(a, PARAM_SCALING, 5.0), {3, 1, 1});
  // Keys out of order are sorted by time; linear between, held outside.
  expectTriple(file.scene.param(b, PARAM_POSITION, 0.25), {0, 0, 2.5});
  expectTriple(file.scene.param(b, PARAM_POSITION, -1.0), {0, 0, 0});
  expectTriple(file.scene.param(b, PARAM_SCALING, 0.0), {1, 1, 1});
}

TEST(SceneFileTest, RadiansByDefaultAndDegreesPerValue) {
  const SceneFile file = parse(R"({"items": [
      {"type": "object", "name": "A", "rotation": [1, 0, 0]},
      {"type": "light", "name": "L", "rotation": {"deg": [{"f": 0, "v": [0, 180, 0]}]}}]})");
  expectTriple(file.scene.param(find(file, IT_OBJECT, "A"), PARAM_ROTATION, 0.0), {1, 0, 0});
  expectTriple(file.scene.param(find(file, IT_LIGHT, "L"), PARAM_ROTATION, 0.0), {0, PI, 0});
  EXPECT_EQ(file.fps, DEFAULT_FPS);
}

TEST(SceneFileTest, ResolvesParentsBonesAndOwners) {
  const SceneFile file = parse(R"({"items": [
      {"type": "bone", "name": "Root", "owner": "Body", "restPosition": [0, 1, 0], "restRotation": [0, 0.5, 0]},
      {"type": "bone", "name": "Tip", "owner": "Body", "parent": "Root"},
      {"type": "bone", "name": "Root", "owner": "Other"},
      {"type": "object", "name": "Child", "parent": "Body", "color": 7},
      {"type": "object", "name": "Body"},
      {"type": "object", "name": "Other"},
      {"type": "camera", "name": "Cam", "parent": "Body:Tip"}],
    "selection": ["Tip", "Cam"]})");
  const ItemId body = find(file, IT_OBJECT, "Body");
  const ItemId child = find(file, IT_OBJECT, "Child");
  const ItemId root = find(file, IT_BONE, "Root", body);
  const ItemId tip = find(file, IT_BONE, "Tip", body);
  ASSERT_NE(root, 0u);
  ASSERT_NE(tip, 0u);
  EXPECT_EQ(file.scene.parent(child), body);  // named before it was listed
  EXPECT_EQ(file.scene.color(child), 7u);
  EXPECT_EQ(file.scene.parent(root), body);  // a root bone hangs from its owner
  EXPECT_EQ(file.scene.parent(tip), root);
  EXPECT_EQ((tip & 0xFFFF) | 0x10000000, body);
  EXPECT_EQ(file.scene.parent(find(file, IT_CAMERA, "Cam")), tip);
  expectTriple(file.scene.rest(root, PARAM_POSITION), {0, 1, 0});
  expectTriple(file.scene.rest(root, PARAM_ROTATION), {0, 0.5, 0});
  ASSERT_EQ(file.scene.selection().size(), 2u);
  EXPECT_EQ(file.scene.selection()[0], tip);  // unique among bones, so no owner needed
  EXPECT_EQ(file.itemLabel(tip), "Body:Tip");
  EXPECT_EQ(file.itemLabel(0), "(none)");
}

TEST(SceneFileTest, ReadsNodeSettingsInputsAndOutputs) {
  const SceneFile file = parse(R"({
    "fps": 4,
    "items": [{"type": "object", "name": "Arm"}, {"type": "object", "name": "Leg"},
              {"type": "bone", "name": "B1", "owner": "Arm"}],
    "nodes": [
      {"server": "Item Pos", "item": "Arm", "mode": "Rel", "time": -0.5, "outputs": "X"},
      {"name": "b", "server": "KvI_BONEWP", "bone": "B1", "mode": 1,
       "inputs": {"Time": [{"f": 0, "v": 0}, {"f": 4, "v": 2}],
                  "Item": [{"f": 2, "v": "Leg"}, {"f": 0, "v": "Arm"}, {"f": 3, "v": null}]},
       "outputs": ["W Pos", "Y"]}]})");
  ASSERT_EQ(file.nodes.size(), 2u);
  const NodeEntry& item = file.nodes[0];
  EXPECT_EQ(item.name, "Item Pos");  // the server names a node that has no name
  EXPECT_EQ(item.item, find(file, IT_OBJECT, "Arm"));
  EXPECT_EQ(item.mode, 2);
  EXPECT_EQ(item.panelTime, -0.5);
  EXPECT_EQ(item.outputs, std::vector<std::string>{"X"});
  EXPECT_TRUE(item.hasItemSettings());
  EXPECT_FALSE(item.hasBoneSettings());

  const NodeEntry& bone = file.nodes[1];
  const ItemId arm = find(file, IT_OBJECT, "Arm");
  EXPECT_EQ(bone.bone, find(file, IT_BONE, "B1", arm));
  EXPECT_EQ(bone.object, arm);  // taken from the bone
  EXPECT_EQ(bone.mode, 1);      // a mode's number stands for its label
  ASSERT_EQ(bone.inputs.size(), 2u);
  const auto& time = std::get<ScalarTrack>(bone.inputs[0].source);
  EXPECT_DOUBLE_EQ(time.at(0.5), 1.0);  // frame 2 of 4 fps, halfway between the keys
  EXPECT_DOUBLE_EQ(time.at(9.0), 2.0);
  const auto& items = std::get<ItemTrack>(bone.inputs[1].source);
  EXPECT_EQ(items.at(-1.0), arm);
  EXPECT_EQ(items.at(0.49), arm);
  EXPECT_EQ(items.at(0.5), find(file, IT_OBJECT, "Leg"));  // holds from its key on
  EXPECT_EQ(items.at(0.75), 0u);
  EXPECT_EQ(file.findNode("b"), &bone);
  EXPECT_EQ(file.findNode("0"), &item);
  EXPECT_EQ(file.findNode("2"), nullptr);
}

TEST(SceneFileTest, ABoneFieldTakesABoneByItsNameEvenWhereAnObjectHasIt) {
  const SceneFile file = parse(R"({
    "items": [{"type": "object", "name": "Body"}, {"type": "object", "name": "Arm"},
              {"type": "bone", "name": "Arm", "owner": "Body"}],
    "nodes": [{"name": "bone", "server": "Bone Pos", "bone": "Arm"},
              {"name": "object", "server": "Item Pos", "item": "Arm"}]})");
  const ItemId body = find(file, IT_OBJECT, "Body");
  EXPECT_EQ(file.nodes[0].bone, find(file, IT_BONE, "Arm", body));
  EXPECT_EQ(file.nodes[0].object, body);
  EXPECT_EQ(file.nodes[1].item, find(file, IT_OBJECT, "Arm"));  // elsewhere the object's name is the object
}

TEST(SceneFileTest, MalformedJsonNamesLineAndColumn) {
  const std::string message = parseError("{\n  \"fps\": 24,\n  \"items\": [,]\n}");
  EXPECT_EQ(message.rfind("t.json: line 3, column 13: malformed JSON: ", 0), 0u) << message;
  EXPECT_EQ(textPosition("ab\ncd\n", 4).line, 2u);
  EXPECT_EQ(textPosition("ab\ncd\n", 4).column, 2u);
  EXPECT_EQ(textPosition("ab", 0).column, 1u);
  // Well-formed JSON whose number no double holds is the file's fault, named where it stands.
  EXPECT_EQ(
      parseError("{\"fps\": 24,\n \"items\": [{\"type\": \"object\", \"name\": \"A\", \"position\": [0, -1e309, 0]}]}"),
      "t.json: line 2, column 60: the number -1e309 is beyond the range of a double (about 1.8e308)");
  EXPECT_EQ(parseError(R"({"fps": 1e400})"),
            "t.json: line 1, column 9: the number 1e400 is beyond the range of a double (about 1.8e308)");
}

TEST(SceneFileTest, ErrorsNameThePlaceAndTheName) {
  const std::string items = R"("items": [{"type": "object", "name": "Base"}, {"type": "light", "name": "Lamp"},
                                         {"type": "bone", "name": "B", "owner": "Base"}])";
  EXPECT_EQ(parseError("{" + items + R"(, "nodes": [{"server": "Item Pos"}, {"server": "x", "name": "n1"},
                       {"server": "Item Pos", "name": "n2", "item": "Arm"}]})"),
            "t.json: nodes[2].item: no item named \"Arm\"");
  EXPECT_EQ(parseError("{" + items + R"(, "nodes": [{"server": "Bone Pos", "object": "Lamp"}]})"),
            "t.json: nodes[0].object: \"Lamp\" is a light, not an object");
  EXPECT_EQ(parseError("{" + items + R"(, "nodes": [{"server": "Bone Pos", "bone": "Base"}]})"),
            "t.json: nodes[0].bone: \"Base\" is an object, not a bone");
  EXPECT_EQ(parseError("{" + items + R"(, "nodes": [{"server": "S"}, {"server": "S"}]})"),
            "t.json: nodes[1]: another node is named \"S\" (give each node its own \"name\")");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "postion": [0, 0, 0]}]})"),
            "t.json: items[0].postion: unknown key (did you mean \"position\"?) (expected one of \"type\", \"name\", "
            "\"parent\", \"owner\", "
            "\"color\", \"position\", \"rotation\", \"scale\", \"pivot\", \"pivotRotation\", \"restPosition\", "
            "\"restRotation\")");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "position": [0, 0]}]})"),
            "t.json: items[0].position: expected three numbers [x, y, z]");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "position": {"deg": [0, 0, 0]}}]})"),
            "t.json: items[0].position: only rotations take \"deg\" or \"rad\"");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "restPosition": [0, 0, 0]}]})"),
            "t.json: items[0].restPosition: only bones have rest values");
  EXPECT_EQ(parseError(R"({"items": [{"type": "bone", "name": "B"}]})"),
            "t.json: items[0]: a bone needs an \"owner\" object");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A"}, {"type": "object", "name": "A"}]})"),
            "t.json: items[1].name: another item is named \"A\"");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "parent": "C"}, {"type": "object", "name": "B",
             "parent": "A"}, {"type": "object", "name": "C", "parent": "B"}]})"),
            "t.json: items[0].parent: the parents of \"A\" form a cycle");
  EXPECT_EQ(parseError(R"({"items": [{"type": "bone", "name": "X", "owner": "P"}, {"type": "bone", "name": "X",
             "owner": "Q"}, {"type": "object", "name": "P"}, {"type": "object", "name": "Q"}],
             "selection": ["X"]})"),
            "t.json: selection[0]: several bones are named \"X\": write \"P:X\" or \"Q:X\"");
  EXPECT_EQ(parseError("{" + items + R"(, "nodes": [{"server": "Item Pos", "mode": 3}]})"),
            "t.json: nodes[0].mode: expected \"Cur\", \"Abs\" or \"Rel\" (or 0, 1, 2), not 3");
  EXPECT_EQ(parseError(R"({"items": [{"type": "object", "name": "A", "position": [{"f": 0, "v": [0, 0, 0]}, 3]}]})"),
            "t.json: items[0].position[1]: expected a key {\"t\"|\"f\": ..., \"v\": ...}");
  EXPECT_EQ(parseError(R"({"nodes": [{"server": "S", "inputs": {"Time": [{"t": 0, "f": 1, "v": 2}]}}]})"),
            "t.json: nodes[0].inputs.Time[0]: give a key either \"t\" (seconds) or \"f\" (frame)");
  EXPECT_EQ(parseError(R"({"nodes": [{"server": "S", "inputs": {"Item": [{"t": 0, "v": "A"}, {"t": 1, "v": 2}]}}]})"),
            "t.json: nodes[0].inputs.Item[0].v: no item named \"A\"");
  EXPECT_EQ(parseError(R"({"fps": 0})"), "t.json: fps: expected a positive number");
  EXPECT_EQ(parseError("[]"), "t.json: expected a JSON object with \"items\" and \"nodes\"");
}

TEST(SceneFileTest, FrameRanges) {
  const auto range = parseFrameRange("-5..10:5");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, -5);
  EXPECT_EQ(range->last, 10);
  EXPECT_EQ(range->step, 5);
  EXPECT_EQ(parseFrameRange("7")->last, 7);
  EXPECT_FALSE(parseFrameRange("3..1"));
  EXPECT_FALSE(parseFrameRange("0..4:0"));
  EXPECT_FALSE(parseFrameRange("0..x"));
  EXPECT_FALSE(parseFrameRange(""));
}

TEST(SceneFileTest, MissingFileIsNamed) {
  try {
    loadSceneFile("/nonexistent/scene.json");
    FAIL() << "no error";
  } catch (const SceneError& error) {
    EXPECT_EQ(std::string(error.what()), "/nonexistent/scene.json: cannot read: No such file or directory");
  }
}

}  // namespace
}  // namespace kv::scenehost
