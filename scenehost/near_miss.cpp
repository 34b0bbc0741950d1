#include "scenehost/near_miss.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace kv::scenehost {
namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Levenshtein distance, letters compared without case.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitution = diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string didYouMean(std::string_view word, const std::vector<std::string>& known) {
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
  return best == nullptr ? "" : " (did you mean \"" + *best + "\"?)";
}

}  // namespace kv::scenehost
