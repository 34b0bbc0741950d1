// "Did you mean ...?" for a name that is not there: the known name closest to
// it when it differs only in case or by a small slip of typing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::scenehost {

// ` (did you mean "Arm"?)` for the closest of `known` to `word`, or "" when
// none is close: equal but for case, or within one edit in four characters
// (at least one), letters compared without case.
std::string didYouMean(std::string_view word, const std::vector<std::string>& known);

}  // namespace kv::scenehost
