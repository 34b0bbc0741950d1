// SPDX-License-Identifier: MIT
#include "scenehost/text_table.h"

#include <algorithm>
#include <utility>

namespace kv::scenehost {

std::size_t displayWidth(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string alignedLine(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths,
                        const std::vector<TextTable::Align>& align) {
  std::string out;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::size_t width = displayWidth(cells[c]);
    const std::string pad(widths[c] > width ? widths[c] - width : 0, ' ');
    if (c > 0) out += "  ";
    out += align[c] == TextTable::Align::Right ? pad + cells[c] : cells[c] + pad;
  }
  out.erase(out.find_last_not_of(' ') + 1);
  return out + "\n";
}

TextTable::TextTable(std::vector<std::string> header, std::vector<Align> align)
    : header_(std::move(header)), align_(std::move(align)) {
  align_.resize(header_.size(), Align::Left);
}

void TextTable::addRow(std::vector<std::string> row) {
  row.resize(header_.size());
  rows_.push_back(std::move(row));
}

std::string TextTable::render() const {
  std::vector<std::size_t> widths(header_.size());
  for (std::size_t c = 0; c < header_.size(); ++c) {
    widths[c] = displayWidth(header_[c]);
    for (const auto& row : rows_) widths[c] = std::max(widths[c], displayWidth(row[c]));
  }
  auto line = [&](const std::vector<std::string>& cells) { return alignedLine(cells, widths, align_); };
  std::vector<std::string> rule;
  for (std::size_t w : widths) rule.emplace_back(w, '-');
  std::string out = line(header_) + line(rule);
  for (const auto& row : rows_) out += line(row);
  return out;
}

}  // namespace kv::scenehost
