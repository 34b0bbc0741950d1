// SPDX-License-Identifier: MIT
#include "scenehost/module_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <system_error>

#include "scenehost/errors.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {
namespace fs = std::filesystem;

namespace {

// The running program's own file, or an empty path when the system does not tell.
fs::path programFile() {
#ifdef _WIN32
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
#else
  std::error_code error;
  fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program;
#endif
}

}  // namespace

std::vector<std::string> defaultModuleCandidates() {
  const fs::path program = programFile();
  if (program.empty()) return {};
  const fs::path folder = program.parent_path();
  return {(folder / KV_MODULE_FILE_NAME).string(), (folder.parent_path() / KV_MODULE_FILE_NAME).string()};
}

std::string chooseModulePath(const std::string& option, const SceneFile* scene) {
  if (!option.empty()) return option;
  if (scene != nullptr && !scene->module.empty()) {
    const fs::path named(scene->module);
    // "./" keeps the system's loader from searching its own folders for a bare name.
    const fs::path folder = fs::path(scene->path).parent_path();
    const fs::path path = named.is_absolute() ? named : (folder.empty() ? fs::path(".") : folder) / named;
    std::error_code error;
    if (!fs::exists(path, error)) {
      throw SceneError(scene->path + ": \"module\": no module file " + path.string() +
                       (named.is_absolute() ? "" : " (a \"module\" is relative to the scene file's folder)") +
                       "; --module PATH overrides it");
    }
    return path.string();
  }
  const std::vector<std::string> candidates = defaultModuleCandidates();
  for (const std::string& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate;
  }
  std::string looked;
  for (const std::string& candidate : candidates) looked += (looked.empty() ? "" : ", ") + candidate;
  throw SceneError("no module file given (use --module PATH or a \"module\" in the scene file)" +
                   (looked.empty() ? std::string() : "; none found at " + looked));
}

}  // namespace kv::scenehost
