// SPDX-License-Identifier: MIT
// Running another program (gnuplot): finding it on PATH and running it with
// arguments passed as they are, without a shell, waiting for its end.
#pragma once

#include <string>
#include <vector>

namespace kv::scenehost {

// The program `name` (on Windows `name`.exe) in the first folder of PATH that
// has it, or "" when none does.
std::string findProgram(const std::string& name);

// Runs `program` (a path) with `arguments` and returns its exit status (128 +
// the signal's number when a signal ended it). Throws SceneError when it
// cannot be started.
int runProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace kv::scenehost
