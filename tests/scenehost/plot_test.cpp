#include "scenehost/plot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

constexpr const char* SCENE = R"({
  "fps": 4,
  "frames": "0..4",
  "items": [{"type": "object", "name": "Ball", "position": [{"f": 0, "v": [0, 0, 0]}, {"f": 4, "v": [4, 2, 0]}]}],
  "nodes": [{"name": "it's", "server": "Item WPos", "item": "Ball"},
            {"name": "parent", "server": "Item Info", "item": "Ball", "outputs": ["Parent"]}]
})";

class PlotTest : public ScenehostTest {};

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

TEST(PlotScriptTest, HoldsOnePathPerVectorOutput) {
  SceneFile file = parseSceneFile(nlohmann::ordered_json::object(), "t.json");
  PlotRecorder plot({{"a'b", "W Pos", CT_VECTOR}, {"a'b", "X", CT_SCALAR}, {"c", "Up", CT_VECTOR}}, file, "out.svg");
  for (int frame = 0; frame < 2; ++frame) {
    EvaluatedFrame evaluated{frame, frame * 0.5, std::vector<host::OutputValue>(3)};
    evaluated.values[0].vector = {1.0 * frame, 2, -0.5};
    evaluated.values[2].vector = {0, 1, -0.5};  // z is -0.5 in every path
    plot.add(evaluated);
  }
  const std::string script = plot.script("out.svg", "svg");
  EXPECT_NE(script.find("set terminal svg"), std::string::npos);
  EXPECT_NE(script.find("set output 'out.svg'"), std::string::npos);
  EXPECT_NE(script.find("$path0 << EOD\n0 2 -0.5\n1 2 -0.5\nEOD\n"), std::string::npos) << script;
  EXPECT_NE(script.find("$path2 << EOD\n0 1 -0.5\n0 1 -0.5\nEOD\n"), std::string::npos) << script;
  EXPECT_EQ(script.find("$path1"), std::string::npos);  // scalars are not drawn
  EXPECT_NE(script.find("title 'a''b: W Pos'"), std::string::npos) << script;
  EXPECT_NE(script.find("set yrange [-1.5:0.5]"), std::string::npos) << script;  // the only flat axis, Z
  EXPECT_EQ(script.find("set xrange"), std::string::npos);
  EXPECT_EQ(script.find("set zrange"), std::string::npos);
  EXPECT_NE(script.find("using 1:3:2"), std::string::npos);  // Y is drawn upwards
  EXPECT_NE(plot.script("o.png", "png").find("set terminal pngcairo"), std::string::npos);
}

TEST_F(PlotTest, DrawsSvgAndPngWithGnuplot) {
  if (findGnuplot().empty()) GTEST_SKIP() << "gnuplot is not installed";
  const std::string scene = write("scene.json", SCENE);
  RunResult result = run({"eval", scene, "--plot", path("paths.svg")});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string svg = read(path("paths.svg"));
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("it's: W Pos"), std::string::npos);  // the legend names node and output

  result = run({"eval", scene, "--plot", path("paths.png"), "--format", "csv"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read(path("paths.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("")), {}), 3);  // no temporary files left
}

TEST_F(PlotTest, ExplainsWhatIsMissing) {
  const std::string scene = write("scene.json", SCENE);
  RunResult result = run({"eval", scene, "--plot", path("paths.pdf")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("the picture must be a .svg or .png file"), std::string::npos) << result.err;

  const std::string scalars = write("scalars.json", R"({"nodes": [{"server": "Item Pos", "outputs": ["X"]}]})");
  result = run({"eval", scalars, "--plot", path("x.svg")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("nothing to plot"), std::string::npos) << result.err;

  {
    const PathOverride emptyPath(path(""));
    result = run({"eval", scene, "--plot", path("paths.svg")});
  }
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("--plot needs gnuplot, which is not on PATH (Debian package gnuplot-nox)"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(path("paths.svg")));
}

}  // namespace
}  // namespace kv::scenehost::testing
