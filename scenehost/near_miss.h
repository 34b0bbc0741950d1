// "Did you mean ...?" for a name that is not there: the known name closest to
// it when it differs only in case or by a small slip of typing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::scenehost {

// ` (did you mean "Arm"?)` for the closest of `known` to `word`, or "" when
// none is close: equal but for case, or a slip (a letter added, dropped or
// changed) for every four letters of `word`, three letters allowing one.
std::string didYouMean(std::string_view word, const std::vector<std::string>& known);

}  // namespace kv::scenehost
