#include "scenehost/module_path.h"

#include <filesystem>
#include <system_error>

#include "scenehost/errors.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {
namespace fs = std::filesystem;

std::vector<std::string> defaultModuleCandidates() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const fs::path folder = program.parent_path();
  return {(folder / KV_MODULE_FILE_NAME).string(), (folder.parent_path() / KV_MODULE_FILE_NAME).string()};
}

std::string chooseModulePath(const std::string& option, const SceneFile* scene) {
  if (!option.empty()) return option;
  if (scene != nullptr && !scene->module.empty()) {
    const fs::path named(scene->module);
    return named.is_absolute() ? named.string() : (fs::path(scene->path).parent_path() / named).string();
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
