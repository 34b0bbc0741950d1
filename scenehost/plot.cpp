#include "scenehost/plot.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include "host/call_record.h"
#include "scenehost/errors.h"
#include "scenehost/external_program.h"
#include "scenehost/temporary_file.h"

namespace kv::scenehost {
namespace {

// A gnuplot string in single quotes, where only the quote itself needs doubling.
std::string gnuplotString(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string findGnuplot() { return findProgram("gnuplot"); }

PlotRecorder::PlotRecorder(const std::vector<OutputColumn>& columns, const SceneFile& file, std::string path)
    : path_(std::move(path)), title_(file.path) {
  checkPlotTarget(path_);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].type == CT_VECTOR) curves_.push_back({columns[c], c, {}});
  }
  if (curves_.empty()) throw SceneError(path_ + ": nothing to plot: the evaluated outputs hold no vectors");
}

void PlotRecorder::add(const EvaluatedFrame& frame) {
  frames_.push_back(frame.frame);
  for (Curve& curve : curves_) {
    const auto& v = frame.values[curve.index].vector;
    curve.values.insert(curve.values.end(), v.begin(), v.end());
  }
}

std::string PlotRecorder::script(const std::string& output, const std::string& terminal) const {
  std::string script = terminal == "png" ? "set terminal pngcairo size 1000,800 noenhanced\n"
                                         : "set terminal svg size 1000,800 dynamic noenhanced background rgb 'white'\n";
  script += "set output " + gnuplotString(output) + "\n";
  script += "set title " + gnuplotString(title_) + "\n";
  // The scene's Y is up: it goes on gnuplot's vertical axis.
  script += "set xlabel 'X'\nset ylabel 'Z'\nset zlabel 'Y'\nset key outside right top\nset grid\n";
  script += "set ticslevel 0\nset view 60,30\n";
  // A flat axis gets a range of its own, which gnuplot would otherwise warn about.
  for (int axis = 0; axis < 3; ++axis) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const Curve& curve : curves_) {
      for (std::size_t f = 0; f < frames_.size(); ++f) {
        low = std::min(low, curve.values[3 * f + axis]);
        high = std::max(high, curve.values[3 * f + axis]);
      }
    }
    if (low == high) {
      script += std::string("set ") + "xzy"[axis] + "range [" + host::formatDouble(low - 1) + ":" +
                host::formatDouble(high + 1) + "]\n";
    }
  }
  std::string plots;
  for (std::size_t n = 0; n < curves_.size(); ++n) {
    const Curve& curve = curves_[n];
    const std::string block = "$path" + std::to_string(curve.index);
    script += block + " << EOD\n";
    for (std::size_t f = 0; f < frames_.size(); ++f) {
      script += host::formatDouble(curve.values[3 * f]) + " " + host::formatDouble(curve.values[3 * f + 1]) + " " +
                host::formatDouble(curve.values[3 * f + 2]) + "\n";
    }
    script += "EOD\n";
    plots += (plots.empty() ? "splot " : ", \\\n      ") + block + " using 1:3:2 with linespoints pointtype " +
             std::to_string(1 + n % 13) + " pointsize 0.6 title " +
             gnuplotString(curve.column.node + ": " + curve.column.output);
  }
  return script + plots + "\n";
}

void checkPlotTarget(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension != ".svg" && extension != ".png") throw SceneError(path + ": the picture must be a .svg or .png file");
  if (findGnuplot().empty())
    throw SceneError("--plot needs gnuplot, which is not on PATH (Debian package gnuplot-nox)");
}

void PlotRecorder::draw() const {
  const std::string& path = path_;
  TemporaryFile picture(path);
  TemporaryFile scriptFile(path + ".gp");
  const std::string terminal = std::filesystem::path(path).extension().string().substr(1);
  scriptFile.write(script(picture.path(), terminal));
  const int status = runProgram(findGnuplot(), {scriptFile.path()});
  if (status != 0) throw SceneError("gnuplot failed (exit status " + std::to_string(status) + ") drawing " + path);
  picture.replaceTarget();
}

}  // namespace kv::scenehost
