// SPDX-License-Identifier: MIT
// The worked example of README's node reference, run through the module: the
// items of its first table become a scene, and the Info nodes must deliver
// every value of its second table to the six decimals written there. README is
// the only copy of the example, so the text and this test cannot drift apart.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// README with its typographic minus signs as '-' and its degree signs dropped.
std::string plainReadme() {
  std::ifstream in(KV_README_PATH, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string plain = text.str();
  for (const auto& [from, to] : {std::pair{"\u2212", "-"}, std::pair{"\u00b0", ""}}) {
    for (std::size_t at = plain.find(from); at != std::string::npos; at = plain.find(from, at)) {
      plain.replace(at, std::string(from).size(), to);
    }
  }
  return plain;
}

// The cells of a table line "| a | b |", trimmed.
Row cells(const std::string& line) {
  Row row;
  std::istringstream in(line.substr(1));
  for (std::string cell; std::getline(in, cell, '|');) {
    const std::size_t first = cell.find_first_not_of(' ');
    row.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  }
  return row;
}

// The first two pipe tables after the "**Worked example.**" paragraph, without
// their rules.
std::vector<Table> exampleTables(const std::string& readme) {
  std::vector<Table> tables;
  std::istringstream in(readme.substr(std::min(readme.find("**Worked example.**"), readme.size())));
  bool inTable = false;
  for (std::string line; std::getline(in, line);) {
    const bool tableLine = line.starts_with("|");
    if (tableLine && !inTable) {
      if (tables.size() == 2) break;
      tables.emplace_back();
    }
    inTable = tableLine;
    if (tableLine && !line.starts_with("| ---")) tables.back().push_back(cells(line));
  }
  return tables;
}

std::string unquoted(const std::string& cell) { return cell.substr(1, cell.size() - 2); }

nlohmann::json triple(const std::string& cell) { return nlohmann::json::parse("[" + unquoted(cell) + "]"); }

TEST_F(ScenehostTest, TheNodeReferencesWorkedExampleIsWhatTheModuleDelivers) {
  const std::vector<Table> tables = exampleTables(plainReadme());
  ASSERT_EQ(tables.size(), 2u) << "README has no worked example with two tables";
  const Table& items = tables[0];
  const Table& expected = tables[1];
  ASSERT_EQ(items[0], (Row{"Item", "Parent", "Position", "Rotation", "Scale", "Pivot"}));
  ASSERT_EQ(expected[0], (Row{"Item", "Output", "Value"}));
  ASSERT_GE(expected.size(), 2u);

  nlohmann::json scene = {
      {"angles", "degrees"}, {"items", nlohmann::json::array()}, {"nodes", nlohmann::json::array()}};
  for (std::size_t r = 1; r < items.size(); ++r) {
    const Row& item = items[r];
    nlohmann::json entry = {{"type", "object"},
                            {"name", unquoted(item[0])},
                            {"position", triple(item[2])},
                            {"rotation", triple(item[3])},
                            {"scale", triple(item[4])},
                            {"pivot", triple(item[5])}};
    if (item[1] != "(none)") entry["parent"] = unquoted(item[1]);
    scene["items"].push_back(entry);
    scene["nodes"].push_back({{"name", unquoted(item[0])}, {"server", "Item Info"}, {"item", unquoted(item[0])}});
  }
  const RunResult result =
      run({"eval", write("example.json", scene.dump()), "--format", "json", "--angles", "radians"});
  ASSERT_EQ(result.status, 0) << result.err;
  const nlohmann::json delivered = nlohmann::json::parse(result.out)["frames"][0]["nodes"];

  for (std::size_t r = 1; r < expected.size(); ++r) {
    const Row& row = expected[r];
    const nlohmann::json& value = delivered[unquoted(row[0])][unquoted(row[1])];
    const nlohmann::json written = triple(row[2]);
    ASSERT_TRUE(value.is_array()) << row[0] << " " << row[1] << ": " << value;
    for (std::size_t k = 0; k < 3; ++k) {
      // Half a unit of the sixth decimal, and a little for the decimal reading.
      EXPECT_NEAR(value[k].get<double>(), written[k].get<double>(), 5e-7 + 1e-12)
          << row[0] << " " << row[1] << " component " << k;
    }
  }
}

}  // namespace
}  // namespace kv::scenehost::testing
