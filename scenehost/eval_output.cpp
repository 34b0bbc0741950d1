#include "scenehost/eval_output.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "host/call_record.h"
#include "scenehost/text_table.h"

namespace kv::scenehost {
namespace {

// Six decimals in a fixed width so that columns of values line up; a
// negative zero prints as zero.
std::string fixed(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%11.6f", value);
  const std::string printed = text;
  return printed == "  -0.000000" ? "   0.000000" : printed;
}

std::string shortTime(double time) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", time);
  return text;
}

const char* typeName(int type) {
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

}  // namespace

std::string formatTable(const Evaluation& evaluation, const SceneFile& file) {
  using Align = TextTable::Align;
  TextTable table({"frame", "time", "node", "output", "value"}, {Align::Right, Align::Right});
  for (const EvaluatedFrame& frame : evaluation.frames) {
    for (std::size_t c = 0; c < evaluation.columns.size(); ++c) {
      const OutputColumn& column = evaluation.columns[c];
      const host::OutputValue& value = frame.values[c];
      std::string shown;
      if (column.type == CT_VECTOR) {
        shown = fixed(value.vector[0]) + " " + fixed(value.vector[1]) + " " + fixed(value.vector[2]);
      } else if (column.type == CT_SCALAR) {
        shown = fixed(value.scalar);
      } else {
        shown = "   " + host::hexId(itemOf(value)) + " " + file.itemLabel(itemOf(value));
      }
      table.addRow({std::to_string(frame.frame), shortTime(frame.time), column.node, column.output, shown});
    }
  }
  return table.render();
}

std::string formatCsv(const Evaluation& evaluation, const SceneFile& file) {
  std::string out = "frame,time,node,output,type,x,y,z,item\n";
  for (const EvaluatedFrame& frame : evaluation.frames) {
    for (std::size_t c = 0; c < evaluation.columns.size(); ++c) {
      const OutputColumn& column = evaluation.columns[c];
      const host::OutputValue& value = frame.values[c];
      out += std::to_string(frame.frame) + "," + host::formatDouble(frame.time) + "," + csvField(column.node) + "," +
             csvField(column.output) + "," + typeName(column.type) + ",";
      if (column.type == CT_VECTOR) {
        out += host::formatDouble(value.vector[0]) + "," + host::formatDouble(value.vector[1]) + "," +
               host::formatDouble(value.vector[2]) + ",";
      } else if (column.type == CT_SCALAR) {
        out += host::formatDouble(value.scalar) + ",,,";
      } else {
        out += std::to_string(itemOf(value)) + ",,," + csvField(file.itemLabel(itemOf(value)));
      }
      out += "\n";
    }
  }
  return out;
}

std::string formatJson(const Evaluation& evaluation) {
  using Json = nlohmann::ordered_json;
  Json frames = Json::array();
  for (const EvaluatedFrame& frame : evaluation.frames) {
    Json nodes = Json::object();
    for (std::size_t c = 0; c < evaluation.columns.size(); ++c) {
      const OutputColumn& column = evaluation.columns[c];
      const host::OutputValue& value = frame.values[c];
      Json& slot = nodes[column.node][column.output];
      if (column.type == CT_VECTOR) {
        slot = Json::array({value.vector[0], value.vector[1], value.vector[2]});
      } else if (column.type == CT_SCALAR) {
        slot = value.scalar;
      } else {
        slot = itemOf(value);
      }
    }
    frames.push_back(Json{{"frame", frame.frame}, {"time", frame.time}, {"nodes", std::move(nodes)}});
  }
  return Json{{"fps", evaluation.fps}, {"frames", std::move(frames)}}.dump(2) + "\n";
}

}  // namespace kv::scenehost
