#include "scenehost/plot.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

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

std::string plotScript(const Evaluation& evaluation, const std::string& title, const std::string& output,
                       const std::string& terminal) {
  std::string script = terminal == "png" ? "set terminal pngcairo size 1000,800 noenhanced\n"
                                         : "set terminal svg size 1000,800 dynamic noenhanced background rgb 'white'\n";
  script += "set output " + gnuplotString(output) + "\n";
  script += "set title " + gnuplotString(title) + "\n";
  // The scene's Y is up: it goes on gnuplot's vertical axis.
  script += "set xlabel 'X'\nset ylabel 'Z'\nset zlabel 'Y'\nset key outside right top\nset grid\n";
  script += "set ticslevel 0\nset view 60,30\n";
  // A flat axis gets a range of its own, which gnuplot would otherwise warn about.
  for (int axis = 0; axis < 3; ++axis) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (std::size_t c = 0; c < evaluation.columns.size(); ++c) {
      if (evaluation.columns[c].type != CT_VECTOR) continue;
      for (const EvaluatedFrame& frame : evaluation.frames) {
        low = std::min(low, frame.values[c].vector[axis]);
        high = std::max(high, frame.values[c].vector[axis]);
      }
    }
    if (low == high) {
      script += std::string("set ") + "xzy"[axis] + "range [" + host::formatDouble(low - 1) + ":" +
                host::formatDouble(high + 1) + "]\n";
    }
  }
  std::string plots;
  std::size_t curves = 0;
  for (std::size_t c = 0; c < evaluation.columns.size(); ++c) {
    const OutputColumn& column = evaluation.columns[c];
    if (column.type != CT_VECTOR) continue;
    const std::string block = "$path" + std::to_string(c);
    script += block + " << EOD\n";
    for (const EvaluatedFrame& frame : evaluation.frames) {
      const auto& v = frame.values[c].vector;
      script += host::formatDouble(v[0]) + " " + host::formatDouble(v[1]) + " " + host::formatDouble(v[2]) + "\n";
    }
    script += "EOD\n";
    plots += (plots.empty() ? "splot " : ", \\\n      ") + block + " using 1:3:2 with linespoints pointtype " +
             std::to_string(1 + curves++ % 13) + " pointsize 0.6 title " +
             gnuplotString(column.node + ": " + column.output);
  }
  return script + plots + "\n";
}

void checkPlotTarget(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension != ".svg" && extension != ".png") throw SceneError(path + ": the picture must be a .svg or .png file");
  if (findGnuplot().empty())
    throw SceneError("--plot needs gnuplot, which is not on PATH (Debian package gnuplot-nox)");
}

void plotEvaluation(const Evaluation& evaluation, const std::string& title, const std::string& path) {
  checkPlotTarget(path);
  bool anyVector = false;
  for (const OutputColumn& column : evaluation.columns) anyVector = anyVector || column.type == CT_VECTOR;
  if (!anyVector) throw SceneError(path + ": nothing to plot: the evaluated outputs hold no vectors");
  TemporaryFile picture(path);
  TemporaryFile script(path + ".gp");
  const std::string terminal = std::filesystem::path(path).extension().string().substr(1);
  script.write(plotScript(evaluation, title, picture.path(), terminal));
  const int status = runProgram(findGnuplot(), {script.path()});
  if (status != 0) throw SceneError("gnuplot failed (exit status " + std::to_string(status) + ") drawing " + path);
  picture.replaceTarget();
}

}  // namespace kv::scenehost
