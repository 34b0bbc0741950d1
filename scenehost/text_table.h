// SPDX-License-Identifier: MIT
// A plain text table: a header row, a rule, and rows whose columns line up.
#pragma once

#include <string>
#include <vector>

namespace kv::scenehost {

class TextTable {
 public:
  enum class Align { Left, Right };

  explicit TextTable(std::vector<std::string> header, std::vector<Align> align = {});
  void addRow(std::vector<std::string> row);
  // Columns separated by two blanks; no trailing blanks.
  std::string render() const;

 private:
  std::vector<std::string> header_;
  std::vector<Align> align_;
  std::vector<std::vector<std::string>> rows_;
};

// Display width: UTF-8 continuation bytes take no column.
std::size_t displayWidth(const std::string& text);

// One line of cells padded to `widths` and separated by two blanks, without
// trailing blanks; a cell wider than its column pushes the rest right.
std::string alignedLine(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths,
                        const std::vector<TextTable::Align>& align);

}  // namespace kv::scenehost
