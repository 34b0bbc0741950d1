// SPDX-License-Identifier: MIT
// Reading and writing whole files: JSON with its syntax errors reported by
// line and column, and writes that leave either the old file or the complete
// new one, never a half-written file.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace kv::scenehost {

// Throw SceneError naming `path` (and for JSON, the line and column).
std::string readTextFile(const std::string& path);
std::string readStandardInput();
nlohmann::ordered_json parseJsonText(std::string_view text, const std::string& sourceName);

// Writes into a temporary file beside `path`, then renames it over `path`.
void writeFileAtomically(const std::string& path, std::string_view contents);

// Line and column (both from 1) of the byte at 0-based `offset` in `text`.
struct TextPosition {
  std::size_t line;
  std::size_t column;
};
TextPosition textPosition(std::string_view text, std::size_t offset);

}  // namespace kv::scenehost
