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

}  // namespace kv::scenehost
