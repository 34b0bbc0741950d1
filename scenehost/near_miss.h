// SPDX-License-Identifier: MIT
// "Did you mean ...?" for a name that is not there: the known name closest to
// it when it differs only in case, by a small slip of typing, or is cut short.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::scenehost {

// The closest of `known` to `word`, or nullopt when none is close: equal but
// for case, a slip (a letter added, dropped or changed) for every four letters
// of `word`, three letters allowing one; else the one name that begins with
// `word` when `word` has three letters or more ("--fram" for "--frames").
std::optional<std::string> closestName(std::string_view word, const std::vector<std::string>& known);

// ` (did you mean "Arm"?)` for closestName, or "".
std::string didYouMean(std::string_view word, const std::vector<std::string>& known);

}  // namespace kv::scenehost
