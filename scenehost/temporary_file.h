// SPDX-License-Identifier: MIT
// A file made beside the one it will become, so that the target is replaced
// whole or not at all: created empty under a fresh name (with the target's
// permissions, or those a new file gets), filled, then renamed over the
// target. A symbolic link is written through: the file it leads to is
// replaced and the link stays. Until then the temporary file is removed on
// every way out.
#pragma once

#include <string>
#include <string_view>

namespace kv::scenehost {

class TemporaryFile {
 public:
  // Throws SceneError ("TARGET: cannot write: reason") when no file can be
  // created beside `target`, when `target` is there but this process may not
  // write it, or when it is not a regular file (a device, a folder...), which
  // is never replaced.
  explicit TemporaryFile(std::string target);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }

  // Replaces the file's contents with `contents` and flushes them to the disk.
  void write(std::string_view contents) const;
  // Renames the file over the target, replacing any file there; afterwards
  // nothing is removed. Both throw SceneError naming the target.
  void replaceTarget();

 private:
  std::string name_;    // the target as given, for messages
  std::string target_;  // the file it leads to
  std::string path_;    // "" once it has become the target
};

}  // namespace kv::scenehost
