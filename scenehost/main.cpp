#include <iostream>
#include <string>
#include <vector>

#include "scenehost/commands.h"

int main(int argc, char** argv) {
  return kv::scenehost::runScenehost(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
