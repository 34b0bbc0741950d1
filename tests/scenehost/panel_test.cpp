// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "scenehost/popup_entry.h"
#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

constexpr const char* SCENE = R"({
  "items": [
    {"type": "object", "name": "Cube", "color": 3},
    {"type": "object", "name": "Body", "color": 20},
    {"type": "bone", "name": "Upper", "owner": "Body"},
    {"type": "bone", "name": "Lower", "owner": "Body", "parent": "Upper"},
    {"type": "light", "name": "Sun", "color": 16777217},
    {"type": "camera", "name": "Cam"}
  ],
  "selection": ["Lower"],
  "nodes": [
    {"name": "pos", "server": "Item Pos", "item": "Cube", "inputs": {"Time": 1.5}},
    {"name": "bone", "server": "Bone Info"},
    {"name": "fed", "server": "Item Pos", "inputs": {"Item": "Cube"}}
  ]
})";

class PanelTest : public ScenehostTest {
 protected:
  std::string scene() { return write("scene.json", SCENE); }
};

// Whether `part` occurs in `text`, runs of blanks counting as one (column widths vary).
bool contains(const std::string& text, const std::string& part) {
  auto squeeze = [](const std::string& in) {
    std::string out;
    for (char c : in) {
      if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
    }
    return out;
  };
  return squeeze(text).find(squeeze(part)) != std::string::npos;
}

TEST(PopupEntryTest, DecodesIconAndColour) {
  const PopupEntry cube = decodePopupEntry("\x03(i:160,155) Cube");
  EXPECT_TRUE(cube.decorated);
  EXPECT_EQ(cube.icon, 160u);
  EXPECT_EQ(cube.colour, 155u);
  EXPECT_EQ(cube.name, "Cube");
  EXPECT_EQ(describePopupEntry(cube), "[object, colour 155] Cube");
  EXPECT_EQ(describePopupEntry(decodePopupEntry("\x03(i:163,16777216) A (b)")), "[camera, colour 16777216] A (b)");
  EXPECT_EQ(describePopupEntry(decodePopupEntry("\x03(i:7,1) X")), "[icon 7, colour 1] X");
  // Anything else is shown as it came.
  for (const char* plain : {"(none)", "", "\x03(i:160 Cube", "(i:160,155) Cube"}) {
    EXPECT_FALSE(decodePopupEntry(plain).decorated) << plain;
    EXPECT_EQ(describePopupEntry(decodePopupEntry(plain)), plain);
  }
}

TEST_F(PanelTest, ShowsControlsValuesAndDecodedEntries) {
  const RunResult result = run({"panel", scene(), "pos"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string& out = result.out;
  EXPECT_TRUE(contains(out, "panel of \"pos\" (Item Pos, KvI_ITEMP)")) << out;
  EXPECT_TRUE(contains(out, "Item                iPopChoice  1      [object, colour 155] Cube")) << out;
  EXPECT_TRUE(contains(out, "Time                float       (unavailable)")) << out;  // the input is connected
  EXPECT_TRUE(contains(out, "Mode                iChoice     0      Cur")) << out;
  EXPECT_TRUE(contains(out, "Get from LayoutSel  vButton")) << out;
  // Colour codes: 3 + 152; 20 is past 14; a value with bit 0x1000000 is kept.
  EXPECT_TRUE(contains(out,
                       "Item entries:\n  0  (none)\n  1  [object, colour 155] Cube\n"
                       "  2  [object, colour 16777216] Body\n  3  [light, colour 16777217] Sun\n"
                       "  4  [camera, colour 152] Cam\n"))
      << out;
  EXPECT_TRUE(contains(out, "node state: ids 10000001 (Cube); time 0; mode 0")) << out;
}

TEST_F(PanelTest, SetsValuesAndReportsButtonCommands) {
  const RunResult result = run({"panel", scene(), "pos", "--set", "Item=Sun", "--set", "Mode=Rel", "--set=Mode=1",
                                "--press", "Select by CurItem"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string& out = result.out;
  EXPECT_TRUE(contains(out, "set \"Item\" to 3 [light, colour 16777217] Sun\n")) << out;
  EXPECT_TRUE(contains(out, "set \"Mode\" to 2 Rel\nset \"Mode\" to 1 Abs\n")) << out;
  EXPECT_TRUE(contains(out, "press \"Select by CurItem\": no value changed; command \"SelectItem 20000001\"\n")) << out;
  EXPECT_TRUE(contains(out, "node state: ids 20000001 (Sun); time 0; mode 1")) << out;
  EXPECT_TRUE(contains(out, "selection: Sun")) << out;
}

TEST_F(PanelTest, BonePanelFollowsTheOwner) {
  RunResult result = run({"panel", scene(), "bone", "--set", "Item=Body", "--set", "Bone=Lower", "--set", "Time=0.75"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(contains(result.out,
                       "Bone entries:\n  0  (none)\n  1  [bone, colour 152] Upper\n"
                       "  2  [bone, colour 152] Lower\n"))
      << result.out;
  EXPECT_TRUE(contains(result.out, "node state: ids 10000002 (Body) 40020002 (Body:Lower); time 0.75; mode 0"))
      << result.out;

  // The selected bone and its owner come in through the button.
  result = run({"panel", scene(), "1", "--press", "Get from LayoutSel"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(contains(result.out,
                       "press \"Get from LayoutSel\": Item 0 (none) -> 2 [object, colour 16777216] Body, "
                       "Bone 0 (none) -> 2 [bone, colour 152] Lower; no command\n"))
      << result.out;
  EXPECT_TRUE(contains(result.out, "ids 10000002 (Body) 40020002 (Body:Lower)")) << result.out;
}

TEST_F(PanelTest, EveryActionSaysWhatElseItChanged) {
  const std::string file = write("unselected.json", R"({
    "items": [{"type": "object", "name": "Cube", "color": 3}, {"type": "object", "name": "Body"},
              {"type": "bone", "name": "Upper", "owner": "Body"}],
    "nodes": [{"name": "pos", "server": "Item Pos", "item": "Cube"}, {"name": "bone", "server": "Bone Pos", "bone": "Upper"}]})");
  // With nothing selected the button clears the item.
  RunResult result = run({"panel", file, "pos", "--press", "Get from LayoutSel"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(
      contains(result.out, "press \"Get from LayoutSel\": Item 1 [object, colour 155] Cube -> 0 (none); no command\n"))
      << result.out;
  // Another object clears the bone.
  result = run({"panel", file, "bone", "--set", "Item=Cube"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(contains(result.out,
                       "set \"Item\" to 1 [object, colour 155] Cube; Bone 1 [bone, colour 152] Upper -> 0 (none)\n"))
      << result.out;
}

TEST_F(PanelTest, ErrorsNameTheControlOrNode) {
  const std::string file = scene();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"panel", file, "nope"}, "no node named \"nope\" (nodes: \"pos\", \"bone\", \"fed\")"},
      {{"panel", file, "3"}, "node 3 is out of range: positions run from 0 to 2 (nodes: \"pos\", \"bone\", \"fed\")"},
      {{"panel", file, "Pos"}, "no node named \"Pos\" (did you mean \"pos\"?)"},
      {{"panel", file, "pos", "--set", "mode=Abs"}, "has no control \"mode\" (did you mean \"Mode\"?)"},
      {{"panel", file, "pos", "--set", "Mode=abs"},
       "\"Mode\" offers no \"abs\" (did you mean \"Abs\"?) (it offers \"Cur\", \"Abs\", \"Rel\")"},
      {{"panel", file, "pos", "--set", "Item=cube"}, "\"Item\" offers no \"cube\" (did you mean \"Cube\"?)"},
      {{"panel", file, "pos", "--set", "Time=1e309"}, "\"Time\" takes a finite number, not \"1e309\""},
      {{"panel", file, "pos", "--set", "Colour=3"},
       "the panel of \"pos\" has no control \"Colour\" (it has \"Item\", \"Time\", \"Mode\", \"Get from LayoutSel\", "
       "\"Select by CurItem\")"},
      {{"panel", file, "pos", "--set", "Item=Moon"},
       "\"Item\" offers no \"Moon\" (it offers \"(none)\", \"Cube\", \"Body\", \"Sun\", \"Cam\")"},
      {{"panel", file, "pos", "--set", "Time=soon"}, "\"Time\" takes a finite number, not \"soon\""},
      {{"panel", file, "pos", "--press", "Mode"}, "\"Mode\" is not a button (use --set)"},
      {{"panel", file, "pos", "--set", "Get from LayoutSel=1"}, "\"Get from LayoutSel\" holds no value"},
  };
  for (const Case& c : cases) {
    const RunResult result = run(c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, c.message)) << result.err;
  }
}

TEST_F(PanelTest, ConnectedItemInputHidesTheItemValue) {
  const RunResult result = run({"panel", scene(), "fed"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "Item                iPopChoice  (unavailable)")) << result.out;
  EXPECT_TRUE(contains(result.out, "Time                float       0\n")) << result.out;
}

}  // namespace
}  // namespace kv::scenehost::testing
