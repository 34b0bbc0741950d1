// SPDX-License-Identifier: MIT
#include "scenehost/eval_output.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <numbers>
#include <ostream>

#include "host/call_record.h"
#include "scenehost/text_table.h"

namespace kv::scenehost {
namespace {

constexpr int VALUE_WIDTH = 11;

// Six decimals in a fixed width so that columns of values line up; a
// negative zero prints as zero. A value too large for that width (1e300 would
// take 308 characters) is written in its shortest form that reads back
// exactly, switching to an exponent where that is shorter (1e+300); only one
// that needs more than the width shifts the rest of its row.
std::string fixed(double value) {
  char text[400];
  const int length = std::snprintf(text, sizeof text, "%*.6f", VALUE_WIDTH, value);
  std::string printed = text;
  if (length > VALUE_WIDTH) {
    printed = host::formatDouble(value);
    printed.insert(0, static_cast<std::size_t>(std::max(0, VALUE_WIDTH - static_cast<int>(printed.size()))), ' ');
  }
  return printed == "  -0.000000" ? "   0.000000" : printed;
}

std::string shortTime(double time) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", time);
  return text;
}

const char* connectionTypeName(int type) {
  switch (type) {
    case CT_VECTOR:
      return "vector";
    case CT_SCALAR:
      return "scalar";
    case CT_INTEGER:
      return "integer";
    default:
      return "unknown";
  }
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

ItemId itemOf(const host::OutputValue& value) { return static_cast<ItemId>(value.integer); }

// What the three forms share: the columns, the scene that names the items,
// the unit that angles are shown in, and the stream.
class ColumnPrinter : public FramePrinter {
 protected:
  ColumnPrinter(const std::vector<OutputColumn>& columns, const SceneFile& file, AngleUnit angles, std::ostream& out)
      : columns_(columns),
        file_(file),
        out_(out),
        angleUnit_(angleUnitName(angles)),
        angleScale_(angles == AngleUnit::Degrees ? 180 / std::numbers::pi : 1) {}

  // The value of column `c` as shown: an angle in the unit asked for.
  host::OutputValue shown(const EvaluatedFrame& frame, std::size_t c) const {
    host::OutputValue value = frame.values[c];
    if (columns_[c].angle) {
      for (double& component : value.vector) component *= angleScale_;
      value.scalar *= angleScale_;
    }
    return value;
  }

  const std::vector<OutputColumn>& columns_;
  const SceneFile& file_;
  std::ostream& out_;
  const char* angleUnit_;

 private:
  double angleScale_;
};

class TablePrinter : public ColumnPrinter {
 public:
  TablePrinter(const std::vector<OutputColumn>& columns, const SceneFile& file, const FrameRange& frames,
               AngleUnit angles, std::ostream& out)
      : ColumnPrinter(columns, file, angles, out) {
    using Align = TextTable::Align;
    const std::vector<std::string> header{"frame", "time", "node", "output", "value"};
    align_ = {Align::Right, Align::Right, Align::Left, Align::Left, Align::Left};
    for (const std::string& name : header) widths_.push_back(displayWidth(name));
    // The ends and their neighbours bound the widths of frames and times well
    // enough; a longer one shifts the rest of its row.
    const double fps = file.fps;
    const std::int64_t count = frameCount(frames);
    for (std::int64_t n : {std::int64_t{0}, std::int64_t{1}, count - 2, count - 1}) {
      if (n < 0 || n >= count) continue;
      const int frame = static_cast<int>(frames.first + n * frames.step);
      widths_[0] = std::max(widths_[0], std::to_string(frame).size());
      widths_[1] = std::max(widths_[1], shortTime(frame / fps).size());
    }

    for (const OutputColumn& column : columns) {
      widths_[2] = std::max(widths_[2], displayWidth(column.node));
      widths_[3] = std::max(widths_[3], displayWidth(column.output));
    }
    for (const OutputColumn& column : columns) {
      widths_[4] = std::max(widths_[4], fixed(0).size() * (column.type == CT_VECTOR ? 3 : 1) + 2);
    }
    std::vector<std::string> rule;
    for (std::size_t width : widths_) rule.emplace_back(width, '-');
    out_ << alignedLine(header, widths_, align_) << alignedLine(rule, widths_, align_);
  }

  void frame(const EvaluatedFrame& frame) override {
    const std::string frameText = std::to_string(frame.frame);
    const std::string timeText = shortTime(frame.time);
    std::string rows;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const OutputColumn& column = columns_[c];
      const host::OutputValue value = shown(frame, c);
      std::string text;
      if (column.type == CT_VECTOR) {
        text = fixed(value.vector[0]) + " " + fixed(value.vector[1]) + " " + fixed(value.vector[2]);
      } else if (column.type == CT_SCALAR) {
        text = fixed(value.scalar);
      } else {
        text = "   " + host::hexId(itemOf(value)) + " " + file_.itemLabel(itemOf(value));
      }
      rows += alignedLine({frameText, timeText, column.node, column.output, text}, widths_, align_);
    }
    out_ << rows;
  }

 private:
  std::vector<std::size_t> widths_;
  std::vector<TextTable::Align> align_;
};

class CsvPrinter : public ColumnPrinter {
 public:
  CsvPrinter(const std::vector<OutputColumn>& columns, const SceneFile& file, AngleUnit angles, std::ostream& out)
      : ColumnPrinter(columns, file, angles, out) {
    out_ << "frame,time,node,output,type,x,y,z,item,unit\n";
  }

  void frame(const EvaluatedFrame& frame) override {
    std::string rows;
    const std::string start = std::to_string(frame.frame) + "," + host::formatDouble(frame.time) + ",";
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const OutputColumn& column = columns_[c];
      const host::OutputValue value = shown(frame, c);
      rows +=
          start + csvField(column.node) + "," + csvField(column.output) + "," + connectionTypeName(column.type) + ",";
      if (column.type == CT_VECTOR) {
        rows += host::formatDouble(value.vector[0]) + "," + host::formatDouble(value.vector[1]) + "," +
                host::formatDouble(value.vector[2]) + ",";
      } else if (column.type == CT_SCALAR) {
        rows += host::formatDouble(value.scalar) + ",,,";
      } else {
        rows += host::hexId(itemOf(value)) + ",,," + csvField(file_.itemLabel(itemOf(value)));
      }
      // Each rotation names its unit in its own row, where every reader keeps it.
      rows += std::string(",") + (column.angle ? angleUnit_ : "") + "\n";
    }
    out_ << rows;
  }
};

// One document written in pieces: the frames list is opened by the header,
// each frame is one line, and finish() closes the list and the document.
class JsonPrinter : public ColumnPrinter {
 public:
  JsonPrinter(const std::vector<OutputColumn>& columns, const SceneFile& file, AngleUnit angles, std::ostream& out)
      : ColumnPrinter(columns, file, angles, out) {
    out_ << "{\n  \"fps\": " << Json(file.fps).dump() << ",\n  \"angles\": \"" << angleUnitName(angles)
         << "\",\n  \"frames\": [";
  }

  void frame(const EvaluatedFrame& frame) override {
    Json nodes = Json::object();
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const OutputColumn& column = columns_[c];
      const host::OutputValue value = shown(frame, c);
      Json& slot = nodes[column.node][column.output];
      if (column.type == CT_VECTOR) {
        slot = Json::array({value.vector[0], value.vector[1], value.vector[2]});
      } else if (column.type == CT_SCALAR) {
        slot = value.scalar;
      } else {
        slot = Json{{"id", host::hexId(itemOf(value))}, {"item", file_.itemLabel(itemOf(value))}};
      }
    }
    out_ << (first_ ? "\n    " : ",\n    ")
         << Json{{"frame", frame.frame}, {"time", frame.time}, {"nodes", std::move(nodes)}}.dump();
    first_ = false;
  }

  void finish() override { out_ << (first_ ? "]\n}\n" : "\n  ]\n}\n"); }

 private:
  using Json = nlohmann::ordered_json;
  bool first_ = true;
};

}  // namespace

std::unique_ptr<FramePrinter> makeFramePrinter(OutputFormat format, const std::vector<OutputColumn>& columns,
                                               const SceneFile& file, const FrameRange& frames, AngleUnit angles,
                                               std::ostream& out) {
  switch (format) {
    case OutputFormat::Csv:
      return std::make_unique<CsvPrinter>(columns, file, angles, out);
    case OutputFormat::Json:
      return std::make_unique<JsonPrinter>(columns, file, angles, out);
    case OutputFormat::Table:
      break;
  }
  return std::make_unique<TablePrinter>(columns, file, frames, angles, out);
}

}  // namespace kv::scenehost
