// SPDX-License-Identifier: MIT
// Scene files in a fresh temporary folder, and the program run in-process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scenehost/commands.h"

namespace kv::scenehost::testing {

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

class ScenehostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("scenehost_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
    return path(name);
  }

  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs scenehost with `arguments`, adding --module with the built module
  // for the commands that take it.
  static RunResult run(std::vector<std::string> arguments, bool withModule = true) {
    if (withModule && !arguments.empty() && arguments[0] != "servers") {
      arguments.push_back("--module");
      arguments.push_back(KV_MODULE_PATH);
    }
    std::ostringstream out, err;
    const int status = runScenehost(arguments, out, err);
    return {status, out.str(), err.str()};
  }

 private:
  std::filesystem::path folder_;
};

}  // namespace kv::scenehost::testing
