// SPDX-License-Identifier: MIT
#include "scenehost/near_miss.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace kv::scenehost {
namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool sameLetter(char a, char b) { return folded(a) == folded(b); }

// Levenshtein distance, letters compared without case.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitution = diagonal + (sameLetter(a[i - 1], b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The one name of `known` that `word` begins, letters compared without case.
const std::string* onlyNameBegunBy(std::string_view word, const std::vector<std::string>& known) {
  constexpr std::size_t SHORTEST_START = 3;
  if (word.size() < SHORTEST_START) return nullptr;
  const std::string* found = nullptr;
  for (const std::string& name : known) {
    if (name.size() <= word.size() || !std::equal(word.begin(), word.end(), name.begin(), sameLetter)) continue;
    if (found != nullptr && *found != name) return nullptr;
    found = &name;
  }
  return found;
}

}  // namespace

std::optional<std::string> closestName(std::string_view word, const std::vector<std::string>& known) {
  const std::size_t allowed = (word.size() + 1) / 4;
  const std::string* best = nullptr;
  std::size_t bestDistance = allowed + 1;
  for (const std::string& name : known) {
    if (name == word) continue;
    const std::size_t distance = editDistance(word, name);
    if (distance < bestDistance) {
      best = &name;
      bestDistance = distance;
    }
  }
  if (best == nullptr) best = onlyNameBegunBy(word, known);
  if (best == nullptr) return std::nullopt;
  return *best;
}

std::string didYouMean(std::string_view word, const std::vector<std::string>& known) {
  const std::optional<std::string> closest = closestName(word, known);
  return closest ? " (did you mean \"" + *closest + "\"?)" : "";
}

}  // namespace kv::scenehost
