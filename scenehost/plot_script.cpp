// SPDX-License-Identifier: MIT
#include "scenehost/plot_script.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "host/call_record.h"
#include "scenehost/evaluation.h"

namespace kv::scenehost {
namespace {

// Pixels of the picture: two plots to a row.
constexpr int WIDTH = 1200;
constexpr int TITLE_HEIGHT = 40;
constexpr int VIEW_HEIGHT = 480;  // each view of the positions
constexpr int LEGEND_ROW_HEIGHT = 22;
constexpr int LEGEND_MARGIN = 20;
constexpr int PANEL_HEIGHT = 300;  // each panel against the frames
// Every tenth frame of the run is numbered on the paths; a run so long that
// a path would carry more than this many numbers gets every hundredth, and so on.
constexpr std::int64_t MOST_LABELS = 30;
// A frame's number nearer than this share of the paths' longest extent to
// one already on its path would cover it.
constexpr double LABEL_GAP = 0.05;
// Where the numbers of path p stand beside its samples: above right, below
// left, above left, below right.
constexpr std::array<const char*, 4> LABEL_SIDES = {" offset char 0.9,0.7", " right offset char -0.9,-0.7",
                                                    " right offset char -0.9,0.7", " offset char 0.9,-0.7"};

// Red, green, blue for the three components of a vector, as axes are
// coloured; grey for a single value.
constexpr std::array<const char*, 3> COMPONENT_COLOURS = {"#c62828", "#2e7d32", "#1565c0"};
constexpr const char* VALUE_COLOUR = "#333333";
// The paths' colours, distinct on white.
constexpr std::array<const char*, 8> PATH_COLOURS = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                     "#9467bd", "#8c564b", "#e377c2", "#17becf"};
// Lines of one colour are told apart by their dashes (in line widths) after
// the solid line, and lone samples by their shapes (gnuplot's point types,
// but for the start's and end's marks). Past these, dashes grow longer.
constexpr std::array<const char*, 3> DASHES = {"(6,4)", "(1.5,3)", "(6,3,1.5,3)"};
constexpr std::array<int, 12> LONE_POINTS = {7, 9, 11, 13, 1, 2, 3, 4, 8, 10, 12, 14};

// A gnuplot string in single quotes, where only the quote itself needs doubling.
std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("''") : std::string(1, c);
  return result + "'";
}

std::string number(double value) { return host::formatDouble(value); }

std::string range(double low, double high) { return "[" + number(low) + ":" + number(high) + "]"; }

// How one line is drawn: its colour and, among the lines of that colour in
// its view or panel, its variant.
struct Style {
  const char* colour;
  std::size_t variant = 0;

  std::string colourOption(const char* option) const { return std::string(" ") + option + " rgb '" + colour + "'"; }
  std::string line() const {
    const std::string dash = variant == 0               ? "solid"
                             : variant <= DASHES.size() ? DASHES[variant - 1]
                                                        : "(" + std::to_string(3 * variant) + ",3)";
    return " lw 1.5" + colourOption("lc") + " dt " + dash;
  }
  std::string lone() const {
    return " pt " + std::to_string(LONE_POINTS[variant % LONE_POINTS.size()]) + " ps 0.8" + colourOption("lc");
  }
};

// A position's component by data column: 2 X, 3 Y, 4 Z (column 1 is the frame).
struct View {
  const char* title;
  int across;
  int up;
};
constexpr View TOP{"top (looking down)", 2, 4};
constexpr View FRONT{"front", 2, 3};
constexpr View SIDE{"side (from +X)", 4, 3};

// The marks of a path's start and end.
constexpr const char* START = " with points pt 6 ps 2";
constexpr const char* END = " with points pt 5 ps 1.1";

const char* axisName(int column) { return column == 2 ? "X" : column == 3 ? "Y" : "Z"; }

std::string unitOf(Quantity quantity, AngleUnit angles) {
  switch (quantity) {
    case Quantity::Position:
    case Quantity::Distance:
      return "scene units";
    case Quantity::Rotation:
      return angleUnitName(angles);
    case Quantity::Scale:
      return "scale factor";
    case Quantity::Direction:
      return "axis vector";
    case Quantity::Item:
      break;
  }
  return "item";
}

std::string componentName(Quantity quantity, int component) {
  return std::string(1, (quantity == Quantity::Rotation ? "HPB" : "XYZ")[component]);
}

std::string titleOf(const PlotSeries& s) { return s.node + ": " + s.output; }

// ", in the parent's frame" for a position, else "".
std::string frameOf(const PlotSeries& s) {
  return s.quantity == Quantity::Position ? ", " + std::string(frameName(s.frame)) : "";
}

// Whether two outputs may be overlaid: the same output of two nodes, so one
// quantity, one unit and, for positions, one kind of frame.
bool samePanel(const PlotSeries& a, const PlotSeries& b) { return a.output == b.output && a.vector == b.vector; }

struct Bounds {
  double low = HUGE_VAL;
  double high = -HUGE_VAL;
  void include(double value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
};

class ScriptWriter {
 public:
  explicit ScriptWriter(const PlotPicture& picture) : picture_(picture) {
    for (std::size_t n = 0; n < picture.series.size(); ++n) {
      const PlotSeries& s = picture.series[n];
      if (s.frames.empty()) continue;
      if (s.quantity == Quantity::Position && s.components == 3 && s.frame == PositionFrame::World) {
        paths_.push_back(n);
        continue;
      }
      const auto shared = std::find_if(panels_.begin(), panels_.end(), [&](const std::vector<std::size_t>& panel) {
        return picture.overlay && samePanel(series(panel.front()), s);
      });
      if (shared == panels_.end()) {
        panels_.push_back({n});
      } else {
        shared->push_back(n);
      }
    }
    while (frameCount(picture.frames) > labelEvery_ * MOST_LABELS) labelEvery_ *= 10;
    lone_.resize(picture.series.size());
    lined_.resize(picture.series.size());
    itemRows_.resize(picture.series.size());
    itemNames_.resize(panels_.size());
    for (std::size_t p = 0; p < panels_.size(); ++p) {
      if (series(panels_[p].front()).quantity == Quantity::Item) itemTics(p);
    }
    // The legend lists the paths and the two marks, four to a row.
    legendRows_ = static_cast<int>(paths_.size() + 2 + 3) / 4;
    viewsHeight_ = paths_.empty() ? 0 : 2 * VIEW_HEIGHT + LEGEND_MARGIN + legendRows_ * LEGEND_ROW_HEIGHT;
    const int panelRows = static_cast<int>(panels_.size() + 1) / 2;
    height_ = TITLE_HEIGHT + viewsHeight_ + panelRows * PANEL_HEIGHT;
  }

  std::string write(const std::string& output, const std::string& terminal) {
    const std::string size = " size " + std::to_string(WIDTH) + "," + std::to_string(height_);
    script_ = terminal == "png" ? "set terminal pngcairo" + size + " noenhanced\n"
                                : "set terminal svg" + size + " dynamic noenhanced background rgb 'white'\n";
    script_ += "set output " + quoted(output) + "\n";
    for (std::size_t n : paths_) pathData(n);
    for (const std::vector<std::size_t>& panel : panels_) {
      for (std::size_t n : panel) seriesData(n);
    }
    script_ += "set multiplot title " + quoted(picture_.title) + " font ',16'\nset grid\n";
    if (!paths_.empty()) views();
    for (std::size_t p = 0; p < panels_.size(); ++p) panel(p);
    script_ += "unset multiplot\n";
    return script_;
  }

 private:
  const PlotSeries& series(std::size_t n) const { return picture_.series[n]; }

  Style pathStyle(std::size_t path) const {
    return {PATH_COLOURS[path % PATH_COLOURS.size()], path / PATH_COLOURS.size()};
  }

  // The names of the items that panel p of item series shows, one tic each,
  // and each series' values as rows among them.
  void itemTics(std::size_t p) {
    std::vector<std::string>& names = itemNames_[p];
    for (std::size_t n : panels_[p]) {
      for (const std::string& name : series(n).categories) {
        auto row = std::find(names.begin(), names.end(), name);
        if (row == names.end()) row = names.insert(row, name);
        itemRows_[n].push_back(static_cast<double>(row - names.begin()));
      }
    }
  }

  std::string sample(std::size_t n, std::size_t i) const {
    const PlotSeries& s = series(n);
    std::string line = std::to_string(s.frames[i]);
    for (int c = 0; c < s.components; ++c) {
      const double value = s.values[i * s.components + c];
      line += " " + number(s.quantity == Quantity::Item ? itemRows_[n][static_cast<std::size_t>(value)] : value);
    }
    return line + "\n";
  }

  // Whether the line breaks between samples i - 1 and i of a run: an angle
  // that moves by more than half a turn has wrapped around its range.
  bool wraps(const PlotSeries& s, std::size_t i) const {
    if (s.quantity != Quantity::Rotation) return false;
    const double halfTurn = picture_.angles == AngleUnit::Degrees ? 180 : std::numbers::pi;
    for (int c = 0; c < s.components; ++c) {
      const std::size_t at = i * s.components + c;
      if (std::abs(s.values[at] - s.values[at - s.components]) > halfTurn) return true;
    }
    return false;
  }

  // $sN: the samples, a blank line (where gnuplot breaks the line) between
  // runs and where an angle wraps; $loneN: the samples alone between breaks,
  // which a line cannot show.
  void seriesData(std::size_t n) {
    const PlotSeries& s = series(n);
    std::string lone;
    script_ += "$s" + std::to_string(n) + " << EOD\n";
    std::size_t nextRun = 1;
    std::size_t piece = 0;  // the first sample since the last break
    for (std::size_t i = 0; i <= s.frames.size(); ++i) {
      const bool runStarts = nextRun < s.runs.size() && s.runs[nextRun].first == i;
      if (runStarts) ++nextRun;
      if (i == s.frames.size() || (i > 0 && (runStarts || wraps(s, i)))) {
        if (i - piece == 1) lone += sample(n, piece);
        if (i - piece > 1) lined_[n] = true;
        if (i == s.frames.size()) break;
        script_ += "\n";
        piece = i;
      }
      script_ += sample(n, i);
    }
    script_ += "EOD\n";
    lone_[n] = !lone.empty();
    if (lone_[n]) script_ += "$lone" + std::to_string(n) + " << EOD\n" + lone + "EOD\n";
  }

  // Also $endsN, the first and last sample.
  void pathData(std::size_t n) {
    seriesData(n);
    const PlotSeries& s = series(n);
    script_ += "$ends" + std::to_string(n) + " << EOD\n" + sample(n, 0) + sample(n, s.frames.size() - 1) + "EOD\n";
    for (int axis = 0; axis < 3; ++axis) {
      for (std::size_t i = 0; i < s.frames.size(); ++i) bounds_[axis].include(s.values[3 * i + axis]);
    }
  }

  // The longest side of the box around the paths; 2 when they stand on one point.
  double longestSpan() const {
    double longest = 0;
    for (const Bounds& b : bounds_) longest = std::max(longest, b.high - b.low);
    return longest > 0 ? longest : 2;
  }

  // Ranges by data column, all as long as the longest so that the views
  // share one scale, and no shorter than a quarter of it so that a flat path
  // keeps a readable view.
  std::string axisRange(int column) const {
    const double longest = longestSpan();
    const Bounds& b = bounds_[column - 2];
    const double half = std::max(b.high - b.low, longest / 4) / 2 + longest * 0.08;
    const double middle = (b.low + b.high) / 2;
    return range(middle - half, middle + half);
  }

  // One step between the tics of every view, so that equal lengths look
  // alike in all of them: 1, 2 or 5 times a power of ten, five or so to the
  // longest axis.
  std::string ticStep() const {
    const double rough = longestSpan() / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    return number((fraction < 1.5 ? 1 : fraction < 3.5 ? 2 : 5) * power);
  }

  // Places the next plot: column 0 or 1 (or both), `top` pixels below the title.
  void place(int column, int top, int height, bool equalScales, double width = 0.5) {
    const double h = static_cast<double>(height) / height_;
    const double y = 1 - static_cast<double>(TITLE_HEIGHT + top + height) / height_;
    script_ +=
        std::string("set size ") + (equalScales ? "ratio -1 " : "noratio ") + number(width) + "," + number(h) + "\n";
    script_ += "set origin " + number(column * 0.5) + "," + number(y) + "\n";
  }

  // The samples of series n alone between breaks, as points, when there are any.
  std::string lonePoints(std::size_t n, const std::string& columns, const Style& style,
                         const std::string& title = " notitle") const {
    return lone_[n] ? ", $lone" + std::to_string(n) + columns + " with points" + style.lone() + title : "";
  }

  // Run labels: each run's item, by its first sample, in `columns` ("2,4").
  void itemLabels(const PlotSeries& s, const std::vector<int>& columns, const Style& style) {
    for (const PlotSeries::Run& run : s.runs) {
      if (run.item.empty()) continue;
      std::string at;
      for (int column : columns) {
        const double value = column == 1 ? s.frames[run.first] : s.values[run.first * s.components + column - 2];
        at += (at.empty() ? "" : ",") + number(value);
      }
      script_ += "set label " + quoted(run.item) + " at " + at + style.colourOption("tc") +
                 " offset char 0.8,-0.9 font ',9' front\n";
    }
  }

  // Every tenth frame of the run (see MOST_LABELS) numbered by its sample,
  // but for numbers that would cover one already there: where a path stands
  // still, or runs towards the viewer, its numbers fall on one place. Paths
  // that pass through the same places keep theirs on different sides.
  void frameLabels(const View& view) {
    const double gap = LABEL_GAP * longestSpan();
    for (std::size_t p = 0; p < paths_.size(); ++p) {
      const PlotSeries& s = series(paths_[p]);
      const std::string style =
          pathStyle(p).colourOption("tc") + LABEL_SIDES[p % LABEL_SIDES.size()] + " font ',8' front\n";
      std::vector<std::array<double, 2>> placed;
      for (std::size_t i = 0; i < s.frames.size(); ++i) {
        const std::int64_t ordinal = (std::int64_t{s.frames[i]} - picture_.frames.first) / picture_.frames.step;
        if (ordinal % labelEvery_ != 0) continue;
        const std::array<double, 2> at{s.values[3 * i + view.across - 2], s.values[3 * i + view.up - 2]};
        const auto covers = [&](const std::array<double, 2>& other) {
          return std::hypot(at[0] - other[0], at[1] - other[1]) < gap;
        };
        if (std::any_of(placed.begin(), placed.end(), covers)) continue;
        placed.push_back(at);
        script_ +=
            "set label " + quoted(std::to_string(s.frames[i])) + " at " + number(at[0]) + "," + number(at[1]) + style;
      }
    }
  }

  // Top and 3D above, front and side below, as a drawing lays its views
  // out; the legend of all four under them.
  void views() {
    script_ += "unset key\nset xtics " + ticStep() + "\nset ytics " + ticStep() + "\nset ztics " + ticStep() + "\n";
    view(TOP, 0, 0);
    view(FRONT, 0, VIEW_HEIGHT);
    view(SIDE, 1, VIEW_HEIGHT);
    threeD();
    legend();
  }

  // What each path plot draws of path p, its columns chosen by `using`.
  std::string pathPlots(std::size_t p, const std::string& using_) const {
    const std::size_t n = paths_[p];
    const std::string id = std::to_string(n);
    const Style style = pathStyle(p);
    const std::string colour = style.colourOption("lc");
    return "$s" + id + using_ + " with lines" + style.line() + " notitle" + lonePoints(n, using_, style) + ", $ends" +
           id + " every ::0::0" + using_ + START + colour + " notitle, $ends" + id + " every ::1::1" + using_ + END +
           colour + " notitle";
  }

  static std::string viewTitle(const char* view) {
    return std::string(view) + ", " + std::string(frameName(PositionFrame::World)) + ", scene units";
  }

  void view(const View& view, int column, int top) {
    place(column, top, VIEW_HEIGHT, true);
    const std::string xy = " using " + std::to_string(view.across) + ":" + std::to_string(view.up);
    script_ += "set title " + quoted(viewTitle(view.title)) + "\n";
    script_ += std::string("set xlabel '") + axisName(view.across) + "'\nset ylabel '" + axisName(view.up) + "'\n";
    script_ += "set xrange " + axisRange(view.across) + "\nset yrange " + axisRange(view.up) + "\n";
    frameLabels(view);
    std::string plots;
    for (std::size_t p = 0; p < paths_.size(); ++p) {
      itemLabels(series(paths_[p]), {view.across, view.up}, pathStyle(p));
      plots += (plots.empty() ? "plot " : ", \\\n     ") + pathPlots(p, xy);
    }
    script_ += plots + "\nunset label\n";
  }

  void threeD() {
    place(1, 0, VIEW_HEIGHT, false);
    script_ += "set title " + quoted(viewTitle("3D")) + "\nset xlabel 'X'\nset ylabel 'Z'\nset zlabel 'Y'\n";
    script_ += "set xrange " + axisRange(2) + "\nset yrange " + axisRange(4) + "\nset zrange " + axisRange(3) + "\n";
    script_ += "set view 60,30,1.3\nset view equal xyz\nset xyplane 0\n";
    std::string plots;
    for (std::size_t p = 0; p < paths_.size(); ++p)
      plots += (plots.empty() ? "splot " : ", \\\n      ") + pathPlots(p, " using 2:4:3");
    script_ += plots + "\n";
  }

  // A plot of nothing but its key (gnuplot needs one thing drawn, here out of range).
  void legend() {
    place(0, 2 * VIEW_HEIGHT, LEGEND_MARGIN + legendRows_ * LEGEND_ROW_HEIGHT, false, 1.0);
    script_ += "unset title\nunset border\nunset tics\nunset xlabel\nunset ylabel\nunset grid\n";
    script_ +=
        "set xrange [0:1]\nset yrange [0:1]\nset key inside center center horizontal maxcols 4 Left reverse "
        "samplen 3 width 2\n";
    std::string plots = "plot 2 notitle";
    // A key shows points for a path drawn as points alone.
    for (std::size_t p = 0; p < paths_.size(); ++p)
      plots += ", " + keyEntry(paths_[p], pathStyle(p), titleOf(series(paths_[p])));
    script_ += plots + ", keyentry" + START + " lc 'black' title 'start', keyentry" + END + " lc 'black' title 'end'\n";
    script_ += "unset key\nset border\nset tics\nset grid\nset xtics autofreq\nset ytics autofreq\n";
  }

  // A line of series n in a panel, its title ("" for none) on the line or,
  // when the series has no line, on its points.
  std::string panelLine(std::size_t n, const std::string& using_, const std::string& with, const Style& style,
                        const std::string& title) const {
    const std::string titled = title.empty() ? " notitle" : " title " + quoted(title);
    return "$s" + std::to_string(n) + using_ + with + style.line() + (lined_[n] ? titled : " notitle") +
           lonePoints(n, using_, style, lined_[n] ? " notitle" : titled);
  }

  // A key entry of series n drawn as in `style`.
  std::string keyEntry(std::size_t n, const Style& style, const std::string& title) const {
    return "keyentry" + (lined_[n] ? " with lines" + style.line() : " with points" + style.lone()) + " title " +
           quoted(title);
  }

  // Panel p against the frames.
  void panel(std::size_t p) {
    const std::vector<std::size_t>& members = panels_[p];
    const PlotSeries& first = series(members.front());
    const bool overlaid = members.size() > 1;
    place(static_cast<int>(p % 2), viewsHeight_ + static_cast<int>(p / 2) * PANEL_HEIGHT, PANEL_HEIGHT, false);
    // An overlaid panel shows one output of several nodes, which its key names.
    const std::string title = (overlaid ? first.output : titleOf(first)) + frameOf(first);
    script_ += "set title " + quoted(title) + "\nset xlabel " +
               quoted("frame (" + number(picture_.fps) + " per second)") + "\nset ylabel " +
               quoted(unitOf(first.quantity, picture_.angles)) + "\n";
    const FrameRange& frames = picture_.frames;
    const std::int64_t span = std::int64_t{frames.last} - frames.first;
    const double last = static_cast<double>(frames.first + span / frames.step * frames.step);
    script_ += "set xrange " + (last == frames.first ? range(last - 1, last + 1) : range(frames.first, last)) + "\n";
    const bool keyed = overlaid || first.components == 3;
    script_ += keyed ? "set key outside right top vertical maxrows auto samplen 2\n" : "unset key\n";

    std::string plots;
    const auto add = [&](const std::string& line) { plots += (plots.empty() ? "plot " : ", \\\n     ") + line; };
    if (first.quantity == Quantity::Item) {
      const std::vector<std::string>& names = itemNames_[p];
      std::string tics;
      for (std::size_t c = 0; c < names.size(); ++c) {
        tics += (tics.empty() ? "" : ", ") + quoted(names[c]) + " " + std::to_string(c);
      }
      script_ += "set ytics (" + tics + ")\nset yrange " + range(-0.5, static_cast<double>(names.size()) - 0.5) + "\n";
      for (std::size_t k = 0; k < members.size(); ++k) {
        add(panelLine(members[k], " using 1:2", " with steps", {VALUE_COLOUR, k}, series(members[k]).node));
      }
      script_ += plots + "\nset ytics autofreq\n";
      return;
    }
    Bounds values;
    for (std::size_t n : members) {
      for (double value : series(n).values) values.include(value);
    }
    // A constant gets a range of its own, which gnuplot would otherwise warn
    // about; other lines keep clear of the frame.
    script_ += "set yrange " + (values.low == values.high ? range(values.low - 1, values.high + 1) : "[*:*]") + "\n";
    script_ += "set offsets 0,0,graph 0.06,graph 0.06\n";
    // Overlaid vectors: a key of the components' colours, then of the nodes' dashes.
    const bool byNode = overlaid && first.components == 3;
    for (std::size_t k = 0; k < members.size(); ++k) {
      const PlotSeries& s = series(members[k]);
      itemLabels(s, {1, 2}, {VALUE_COLOUR});
      for (int c = 0; c < s.components; ++c) {
        const Style style{s.components == 3 ? COMPONENT_COLOURS[c] : VALUE_COLOUR, k};
        const std::string name = overlaid ? s.node : s.components == 3 ? componentName(s.quantity, c) : s.output;
        add(panelLine(members[k], " using 1:" + std::to_string(c + 2), " with lines", style, byNode ? "" : name));
        if (byNode && k == 0) add(keyEntry(members[k], {COMPONENT_COLOURS[c]}, componentName(s.quantity, c)));
      }
    }
    for (std::size_t k = 0; byNode && k < members.size(); ++k) {
      add(keyEntry(members[k], {VALUE_COLOUR, k}, series(members[k]).node));
    }
    script_ += plots + "\nunset label\n";
  }

  const PlotPicture& picture_;
  std::vector<std::size_t> paths_;                   // series drawn as paths in the world views
  std::vector<std::vector<std::size_t>> panels_;     // series drawn against the frames, by panel
  std::array<Bounds, 3> bounds_;                     // of the paths' X, Y, Z
  std::vector<bool> lone_;                           // by series: it has samples alone between breaks
  std::vector<bool> lined_;                          // by series: it has two samples or more between breaks
  std::vector<std::vector<std::string>> itemNames_;  // by panel of items: the names of its rows
  std::vector<std::vector<double>> itemRows_;        // by item series: the row of each of its categories
  std::int64_t labelEvery_ = 10;                     // frames of the run between numbered ones
  int legendRows_ = 0;
  int viewsHeight_ = 0;  // with the legend
  int height_ = 0;
  std::string script_;
};

}  // namespace

std::string plotScript(const PlotPicture& picture, const std::string& output, const std::string& terminal) {
  return ScriptWriter(picture).write(output, terminal);
}

}  // namespace kv::scenehost
