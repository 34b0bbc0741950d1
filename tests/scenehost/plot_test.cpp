// SPDX-License-Identifier: MIT
#include "scenehost/plot.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <regex>
#include <set>
#include <sstream>

#include "host/module_loader.h"
#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

constexpr const char* RISING_BALL = R"({
  "fps": 4,
  "frames": "0..4",
  "items": [{"type": "object", "name": "Ball", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 4, "v": [4, 2, 0]}]}],
  "nodes": [{"name": "it's", "server": "Item WPos", "item": "Ball"},
            {"name": "parent", "server": "Item Info", "item": "Ball", "outputs": ["Parent"]}]
})";

// Ball moves by (1, 0, 0.5) a frame, Kite stands still and is turned by 30
// degrees; "follow" samples Ball, then Kite, then nothing, Kite for one frame
// and Ball again. Top turns once around, which its world heading shows as a
// jump from about 180 to about -180 degrees.
constexpr const char* SWITCHING_SCENE = R"({
  "fps": 10,
  "angles": "degrees",
  "items": [{"type": "object", "name": "Ball", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 12, "v": [12, 0, 6]}]},
            {"type": "object", "name": "Kite", "position": [5, 5, 5], "rotation": [30, 0, 0]},
            {"type": "object", "name": "Top", "rotation": [{"f": 0, "v": [0, 0, 0]}, {"f": 12, "v": [360, 0, 0]}]}],
  "nodes": [{"name": "follow", "server": "Item Info", "outputs": ["W Pos", "Rotation", "Item"],
             "inputs": {"Item": [{"f": 0, "v": "Ball"}, {"f": 4, "v": "Kite"}, {"f": 6, "v": null},
                                 {"f": 9, "v": "Kite"}, {"f": 10, "v": "Ball"}]}},
            {"name": "x", "server": "Item Pos", "item": "Ball", "outputs": ["X"]},
            {"name": "spin", "server": "Item WRot", "item": "Top", "outputs": ["H"]}]
})";

class PlotTest : public ScenehostTest {
 protected:
  // The script of a run of `scene` over `frames`, as eval would draw it.
  std::string script(const std::string& scene, const FrameRange& frames, bool overlay = false) const {
    SceneFile file = parseSceneFile(nlohmann::ordered_json::parse(scene), "/some/folder/scene.json");
    const host::LoadedModule module(KV_MODULE_PATH);
    std::ostringstream warnings;
    PlacedScene placed(file, module, warnings);
    PlotRecorder plot(placed, frames, path("out.svg"), file.angles, overlay);
    evaluateFrames(placed, frames, warnings, [&](const EvaluatedFrame& frame) { plot.add(frame); });
    EXPECT_EQ(warnings.str(), "");
    return plot.script("out.svg", "svg");
  }

  // The lines of data block `name` in `script`.
  static std::string block(const std::string& script, const std::string& name) {
    const std::size_t start = script.find(name + " << EOD\n");
    if (start == std::string::npos) return "(no block " + name + ")";
    const std::size_t first = start + name.size() + 8;
    return script.substr(first, script.find("EOD\n", first) - first);
  }

  // Runs scenehost as run() does, but as the user "nobody" when the tests run as
  // root, who may write any file whatever its permissions.
  static RunResult runUnprivileged(const std::vector<std::string>& arguments) {
    if (::geteuid() != 0) return run(arguments);
    constexpr ::uid_t NOBODY = 65534;
    int channel[2];
    if (::pipe(channel) != 0) return {-1, "", "no pipe"};
    const ::pid_t child = ::fork();
    if (child == 0) {
      ::close(channel[0]);
      const RunResult result =
          ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0 ? run(arguments) : RunResult{-1, "", "cannot become nobody"};
      const std::string report = std::to_string(result.status) + "\n" + result.err;
      const bool sent = ::write(channel[1], report.data(), report.size()) == static_cast<::ssize_t>(report.size());
      ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (::ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
      report.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int exit = 0;
    ::waitpid(child, &exit, 0);
    const std::size_t newline = report.find('\n');
    if (newline == std::string::npos) return {-1, "", "the child reported nothing"};
    return {std::stoi(report.substr(0, newline)), "", report.substr(newline + 1)};
  }

  static std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
};

void setPath(const std::string& value) {
#ifdef _WIN32
  _putenv_s("PATH", value.c_str());
#else
  ::setenv("PATH", value.c_str(), 1);
#endif
}

// Sets PATH for the life of the object.
class PathOverride {
 public:
  explicit PathOverride(const std::string& path) : saved_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    setPath(path);
  }
  ~PathOverride() { setPath(saved_); }

 private:
  std::string saved_;
};

TEST_F(PlotTest, ScriptDrawsPathsInViewsAndTheRestInPanels) {
  if (findGnuplot().empty()) GTEST_SKIP() << "gnuplot is not installed";
  const std::string run = script(SWITCHING_SCENE, {0, 12, 1});
  // A blank line (a break) where the item changes; frames 6 to 8 sample no
  // item and are left out; frame 9, alone between breaks, is also a point.
  EXPECT_EQ(
      block(run, "$s0"),
      "0 0 0 0\n1 1 0 0.5\n2 2 0 1\n3 3 0 1.5\n\n4 5 5 5\n5 5 5 5\n\n9 5 5 5\n\n10 10 0 5\n11 11 0 5.5\n12 12 0 6\n");
  EXPECT_EQ(block(run, "$lone0"), "9 5 5 5\n");
  EXPECT_EQ(block(run, "$ends0"), "0 0 0 0\n12 12 0 6\n");
  EXPECT_NE(run.find("set label 'Kite' at 5,5"), std::string::npos) << run;
  EXPECT_EQ(count(run, "set label '10' at 10,5 "), 1u) << run;  // every tenth frame, in the top view

  // Three flat views at equal scales and a 3D one; the ranges are as long on
  // every axis: X 0..12 with 8% to spare on each side.
  EXPECT_EQ(count(run, "set size ratio -1 "), 3u);
  EXPECT_NE(run.find("set view equal xyz"), std::string::npos);
  EXPECT_EQ(count(run, "set xrange [-0.96:12.96]"), 3u) << run;  // top, front, 3D
  EXPECT_EQ(count(run, "set yrange [-0.96:5.96]"), 2u) << run;   // Y in front and side
  EXPECT_NE(run.find("set title 'top (looking down), in the world, scene units'"), std::string::npos);

  // The rotation in degrees as the scene writes them, in a panel of its own,
  // with the runs of the item that was sampled.
  const std::string rotation = block(run, "$s1");
  EXPECT_EQ(rotation.substr(0, 8), "0 0 0 0\n") << rotation;
  EXPECT_NEAR(std::stod(rotation.substr(rotation.find("\n4 ") + 3)), 30.0, 1e-6) << rotation;
  EXPECT_NE(run.find("set title 'follow: Rotation'\nset xlabel 'frame (10 per second)'\nset ylabel 'degrees'"),
            std::string::npos)
      << run;
  // The item identifiers as steps between the items' names.
  EXPECT_EQ(block(run, "$s2"), "0 0\n1 0\n2 0\n3 0\n\n4 1\n5 1\n\n9 1\n\n10 0\n11 0\n12 0\n");
  EXPECT_NE(run.find("set ytics ('Ball' 0, 'Kite' 1)"), std::string::npos);
  // A component of a position, which has no item input and no break.
  EXPECT_NE(
      run.find(
          "set title 'x: X, in the parent''s frame'\nset xlabel 'frame (10 per second)'\nset ylabel 'scene units'"),
      std::string::npos);
  EXPECT_EQ(block(run, "$lone3"), "(no block $lone3)");
  EXPECT_EQ(count(block(run, "$s4"), "\n\n"), 1u) << block(run, "$s4");        // the line breaks where the angle wraps
  EXPECT_NE(run.find("set multiplot title 'scene.json'"), std::string::npos);  // the name, not the path

  // One frame is drawn as points.
  const std::string one = script(SWITCHING_SCENE, {3, 3, 1});
  EXPECT_EQ(block(one, "$lone0"), "3 3 0 1.5\n");
  EXPECT_EQ(block(one, "$lone3"), "3 3\n");
  EXPECT_NE(one.find("set xrange [2:4]"), std::string::npos);
}

// Text of `script` from `start` to the next `end`.
std::string between(const std::string& script, const std::string& start, const std::string& end) {
  const std::size_t first = script.find(start);
  if (first == std::string::npos) return "(no " + start + ")";
  return script.substr(first, script.find(end, first) - first);
}

// Colour and dash of each line of data (or each line of the key) that `plot` draws.
std::vector<std::string> lineStyles(const std::string& plot, bool key = false) {
  static const std::regex DATA("\\$s\\d+ using \\S+ with (lines|steps) lw 1.5 lc rgb '([^']+)' dt (\\S+)");
  static const std::regex KEY("keyentry with (lines|steps) lw 1.5 lc rgb '([^']+)' dt (\\S+)");
  const std::regex& LINE = key ? KEY : DATA;
  std::vector<std::string> styles;
  for (std::sregex_iterator it(plot.begin(), plot.end(), LINE), end; it != end; ++it) {
    styles.push_back((*it)[2].str() + " " + (*it)[3].str());
  }
  return styles;
}

bool allDistinct(std::vector<std::string> styles) {
  std::sort(styles.begin(), styles.end());
  return std::adjacent_find(styles.begin(), styles.end()) == styles.end();
}

TEST_F(PlotTest, WorldViewsHoldWorldPositionsEachLineStyledApart) {
  if (findGnuplot().empty()) GTEST_SKIP() << "gnuplot is not installed";
  // Lift rises straight up, which the top view sees as one point; eight
  // nodes follow Ball in the world, the last in the first path's colour.
  // "local" and "rest" give positions in other frames, "behind" the world
  // rotation of Ball a second before "local"'s.
  nlohmann::ordered_json scene = nlohmann::ordered_json::parse(R"({
    "fps": 10,
    "items": [{"type": "object", "name": "Ball", "position": [{"f": 0, "v": [5, 0, 0]}, {"f": 20, "v": [25, 0, 10]}],
               "rotation": [{"f": 0, "v": [0, 0, 0]}, {"f": 20, "v": [1, 0.5, 0]}]},
              {"type": "object", "name": "Lift", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 20, "v": [0, 20, 0]}]},
              {"type": "object", "name": "Body"},
              {"type": "bone", "name": "Arm", "owner": "Body", "restPosition": [0, 0, 1]}],
    "nodes": [{"name": "lift", "server": "Item WPos", "item": "Lift", "outputs": ["W Pos"]},
              {"name": "local", "server": "Item Info", "item": "Ball", "outputs": ["Position", "pivotPos", "W Rot"]},
              {"name": "behind", "server": "Item WRot", "item": "Ball", "mode": "Rel", "time": -1,
               "outputs": ["W Rot"]},
              {"name": "rest", "server": "Bone Info", "bone": "Body:Arm", "outputs": ["restPos"]}]
  })");
  for (int n = 0; n < 8; ++n) {
    scene["nodes"].push_back(
        {{"name", "ball" + std::to_string(n)}, {"server", "Item WPos"}, {"item", "Ball"}, {"outputs", {"W Pos"}}});
  }
  const std::string run = script(scene.dump(), {0, 20, 1});

  // The views draw the "W Pos" series (0 and 6 to 13) alone, no two alike.
  const std::string top = between(run, "set title 'top", "unset label");
  const std::regex SERIES("\\$s(\\d+) using");
  std::set<int> drawn;
  for (std::sregex_iterator it(top.begin(), top.end(), SERIES), end; it != end; ++it) drawn.insert(std::stoi((*it)[1]));
  EXPECT_EQ(drawn, (std::set<int>{0, 6, 7, 8, 9, 10, 11, 12, 13})) << top;
  EXPECT_EQ(lineStyles(top).size(), 9u) << top;
  EXPECT_TRUE(allDistinct(lineStyles(top))) << top;
  EXPECT_EQ(lineStyles(between(run, "plot 2 notitle", "\n"), true), lineStyles(top)) << run;  // the legend
  // The other positions in panels titled with their frames.
  for (const char* title : {"local: Position, in the parent''s frame", "local: pivotPos, in the item''s own frame",
                            "rest: restPos, in the parent bone''s frame"}) {
    EXPECT_EQ(count(run, "set title '" + std::string(title) + "'\nset xlabel"), 1u) << title << "\n" << run;
  }
  // Lift's numbers: one where the top view sees it stand, three in the front view.
  EXPECT_EQ(count(top, "set label '0' at 0,0 "), 1u) << top;
  EXPECT_EQ(count(top, "at 0,0 "), 1u) << top;
  const std::string front = between(run, "set title 'front", "unset label");
  EXPECT_EQ(count(front, "set label '20' at 0,20 "), 1u) << front;

  // Overlaid, the world rotations share a panel, each line styled apart, the
  // key naming the components' colours and the nodes' dashes; the positions
  // of different frames still do not.
  const std::string overlaid = script(scene.dump(), {0, 20, 1}, true);
  const std::string rotations = between(overlaid, "set title 'W Rot'", "unset label");
  EXPECT_EQ(lineStyles(rotations).size(), 6u) << rotations;
  EXPECT_TRUE(allDistinct(lineStyles(rotations))) << rotations;
  EXPECT_EQ(lineStyles(rotations, true), (std::vector<std::string>{"#c62828 solid", "#2e7d32 solid", "#1565c0 solid",
                                                                   "#333333 solid", "#333333 (6,4)"}))
      << rotations;
  for (const char* title : {"H", "P", "B", "local", "behind"}) {
    EXPECT_EQ(count(rotations, std::string(" title '") + title + "'"), 1u) << title << "\n" << rotations;
  }
  EXPECT_EQ(count(overlaid, "set title '"), count(run, "set title '") - 1) << overlaid;
  EXPECT_EQ(count(overlaid, "set title 'local: pivotPos, in the item''s own frame'"), 1u) << overlaid;
}

TEST_F(PlotTest, DrawsSvgAndPngWithGnuplot) {
  if (findGnuplot().empty()) GTEST_SKIP() << "gnuplot is not installed";
  const std::string scene = write("scene.json", RISING_BALL);
  RunResult result = run({"eval", scene, "--plot", path("paths.svg")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");  // nor a warning of gnuplot's
  const std::string svg = read(path("paths.svg"));
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("it's: W Pos"), std::string::npos);  // the legend names node and output
  EXPECT_NE(svg.find("parent: Parent"), std::string::npos);
  // Nothing that ImageMagick's renderer cannot draw: grid lines of a class
  // (which it cannot draw by the hundred), marks as references to shapes
  // drawn in `currentColor` (which it leaves out).
  EXPECT_EQ(svg.find("class=\"gridline\""), std::string::npos);
  EXPECT_EQ(svg.find("<use", svg.find("</defs>")), std::string::npos);
  EXPECT_NE(svg.find("<circle stroke-width='0.222' stroke='rgb("), std::string::npos);  // the start's mark

  result = run({"eval", scene, "--plot", path("paths.png"), "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read(path("paths.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("")), {}), 3);  // no temporary files left

  // Scalars alone make a picture too, and the table is printed.
  const std::string scalars = write("scalars.json", R"({"nodes": [{"server": "Item Pos", "outputs": ["X"]}]})");
  result = run({"eval", scalars, "--plot", path("x.svg")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Item Pos  X"), std::string::npos) << result.out;
  EXPECT_NE(read(path("x.svg")).find("Item Pos: X"), std::string::npos);
}

TEST_F(PlotTest, ExplainsWhatIsMissing) {
  const std::string scene = write("scene.json", RISING_BALL);
  RunResult result = run({"eval", scene, "--plot", path("paths.pdf")});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("the picture must be a .svg or .png file"), std::string::npos) << result.err;

  {
    const PathOverride emptyPath(path(""));
    result = run({"eval", scene, "--plot", path("paths.svg")});
  }
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("--plot needs gnuplot, which is not on PATH (Debian package gnuplot-nox)"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(path("paths.svg")));

  if (findGnuplot().empty()) return;
  // A read-only picture is refused as every other output is, by its own name:
  // gnuplot would report the temporary file it was given.
  std::filesystem::permissions(path(""), std::filesystem::perms::all);
  const std::string readOnly = write("own.png", "kept");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
  result = runUnprivileged({"eval", scene, "--plot", readOnly});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "scenehost: " + readOnly + ": cannot write: Permission denied\n");
  EXPECT_EQ(read(readOnly), "kept");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("")), {}), 2);  // the scene and the picture

  const std::string nothing =
      write("nothing.json", R"({"nodes": [{"server": "Item WPos", "inputs": {"Item": null}, "outputs": ["W Pos"]}]})");
  result = run({"eval", nothing, "--plot", path("nothing.svg")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("Item WPos  W Pos"), std::string::npos) << result.out;  // the table is there
  EXPECT_NE(result.err.find("nothing to plot: the \"Item\" inputs delivered no item at any frame"), std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(path("nothing.svg")));
}

}  // namespace
}  // namespace kv::scenehost::testing
