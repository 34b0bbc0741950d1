// SPDX-License-Identifier: MIT
#include "scenehost/plot.h"

#include <algorithm>
#include <filesystem>
#include <numbers>
#include <utility>
#include <variant>

#include "contract/port_names.h"
#include "scenehost/errors.h"
#include "scenehost/external_program.h"
#include "scenehost/portable_svg.h"
#include "scenehost/temporary_file.h"
#include "scenehost/text_file.h"

namespace kv::scenehost {
namespace {

const PlacedNode& nodeNamed(PlacedScene& scene, const std::string& name) {
  const auto& nodes = scene.nodes();
  return *std::find_if(nodes.begin(), nodes.end(), [&](const PlacedNode& node) { return node.entry->name == name; });
}

// The keys or constant connected to the node's "Item" input, or null.
const ItemTrack* itemInput(const NodeEntry& entry) {
  for (const InputConnection& input : entry.inputs) {
    if (input.name == port::ITEM) return std::get_if<ItemTrack>(&input.source);
  }
  return nullptr;
}

}  // namespace

std::string findGnuplot() { return findProgram("gnuplot"); }

PlotRecorder::PlotRecorder(PlacedScene& scene, const FrameRange& frames, std::string path, AngleUnit angles,
                           bool overlay)
    : file_(scene.file()), path_(std::move(path)) {
  checkPlotTarget(path_);
  const std::vector<OutputColumn> columns = outputColumns(scene);
  if (columns.empty()) throw SceneError(path_ + ": nothing to plot: the scene has no nodes");
  picture_.title = std::filesystem::path(file_.path).filename().string();
  picture_.frames = frames;
  picture_.fps = file_.fps;
  picture_.angles = angles;
  picture_.overlay = overlay;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const PlacedNode& node = nodeNamed(scene, columns[c].node);
    PlotSeries series;
    series.node = columns[c].node;
    series.output = columns[c].output;
    const std::string vectorOutput = node.node->outputs().front().name;
    series.quantity = quantityOf(columns[c].output, columns[c].type, vectorOutput);
    series.components = columns[c].type == CT_VECTOR ? 3 : 1;
    series.vector = series.components == 3 ? columns[c].output : vectorOutput;
    series.frame = positionFrame(series.vector);
    picture_.series.push_back(std::move(series));
    sources_.push_back({c, itemInput(*node.entry), {}});
  }
}

void PlotRecorder::add(const EvaluatedFrame& frame) {
  for (std::size_t s = 0; s < sources_.size(); ++s) {
    PlotSeries& series = picture_.series[s];
    Source& source = sources_[s];
    const ItemId item = source.items ? source.items->at(frame.time) : 0;
    // No item: the node delivers zeros, which are no place of anything.
    if (source.items && item == 0) {
      source.inRun = false;
      continue;
    }
    if (!source.inRun || item != source.runItem) {
      series.runs.push_back({series.frames.size(), source.items ? file_.itemLabel(item) : ""});
    }
    source.inRun = true;
    source.runItem = item;
    series.frames.push_back(frame.frame);
    addSample(series, source, frame.values[source.column]);
  }
}

void PlotRecorder::addSample(PlotSeries& series, Source& source, const host::OutputValue& value) const {
  const double unit =
      series.quantity == Quantity::Rotation && picture_.angles == AngleUnit::Degrees ? 180 / std::numbers::pi : 1.0;
  if (series.quantity == Quantity::Item) {
    const ItemId item = static_cast<ItemId>(value.integer);
    auto known = std::find(source.categories.begin(), source.categories.end(), item);
    if (known == source.categories.end()) {
      series.categories.push_back(file_.itemLabel(item));
      known = source.categories.insert(known, item);
    }
    series.values.push_back(static_cast<double>(known - source.categories.begin()));
  } else if (series.components == 3) {
    for (double component : value.vector) series.values.push_back(component * unit);
  } else {
    series.values.push_back(value.scalar * unit);
  }
}

void checkPlotTarget(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension != ".svg" && extension != ".png") throw UsageError(path + ": the picture must be a .svg or .png file");
  if (findGnuplot().empty())
    throw SceneError("--plot needs gnuplot, which is not on PATH (Debian package gnuplot-nox)");
  // A picture that cannot be written fails now rather than after the run.
  const TemporaryFile probe(path);
}

void PlotRecorder::draw() const {
  const std::string& path = path_;
  const auto& series = picture_.series;
  if (std::all_of(series.begin(), series.end(), [](const PlotSeries& s) { return s.frames.empty(); })) {
    throw SceneError(path + ": nothing to plot: the \"Item\" inputs delivered no item at any frame");
  }
  TemporaryFile picture(path);
  TemporaryFile scriptFile(path + ".gp");
  const std::string terminal = std::filesystem::path(path).extension().string().substr(1);
  scriptFile.write(script(picture.path(), terminal));
  const int status = runProgram(findGnuplot(), {scriptFile.path()});
  if (status != 0) throw SceneError("gnuplot failed (exit status " + std::to_string(status) + ") drawing " + path);
  if (terminal == "svg") picture.write(portableSvg(readTextFile(picture.path())));
  picture.replaceTarget();
}

}  // namespace kv::scenehost
