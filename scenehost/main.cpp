// SPDX-License-Identifier: MIT
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "scenehost/commands.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that has gone (scenehost eval ... | head) ends the program
  // quietly, even when the parent left the signal ignored.
  std::signal(SIGPIPE, SIG_DFL);
#endif
  // Output is written through the streams alone; their own buffers are faster.
  std::ios::sync_with_stdio(false);
  return kv::scenehost::runScenehost(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
