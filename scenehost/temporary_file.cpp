// SPDX-License-Identifier: MIT
#include "scenehost/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>
#include <utility>

#include "scenehost/errors.h"

namespace kv::scenehost {
namespace {

// The calls that differ between the C runtimes.
#ifdef _WIN32
bool mayWrite(const std::string& path) { return ::_access(path.c_str(), 2) == 0; }
int createNewFile(const std::string& path) {
  return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int closeFile(int fd) { return ::_close(fd); }
int syncToDisk(std::FILE* file) { return ::_commit(::_fileno(file)); }
#else
bool mayWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }
int createNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int closeFile(int fd) { return ::close(fd); }
int syncToDisk(std::FILE* file) { return ::fsync(::fileno(file)); }
#endif

std::string failure(const std::string& target, int error) { return target + ": cannot write: " + std::strerror(error); }

// The file `target` leads to through any symbolic links.
std::string followLinks(const std::string& target) {
  namespace fs = std::filesystem;
  fs::path path = target;
  std::error_code error;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    if (hops == 40) throw SceneError(target + ": cannot write: too many levels of symbolic links");
    const fs::path next = fs::read_symlink(path, error);
    if (error) throw SceneError(target + ": cannot write: " + error.message());
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    throw SceneError(target + ": not a regular file; only regular files are written");
  }
  return path.string();
}

#ifndef _WIN32
// The rename itself reaches the disk once its folder is flushed.
void syncFolder(const std::string& file) {
  const std::string folder = std::filesystem::path(file).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
#endif

std::string randomSuffix() {
  static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
  std::string suffix = ".";
  for (int i = 0; i < 8; ++i) suffix += LETTERS[pick(source)];
  return suffix;
}

}  // namespace

TemporaryFile::TemporaryFile(std::string target) : name_(std::move(target)), target_(followLinks(name_)) {
  // The file would take the target's permissions, so a target this process
  // may not write is refused now, before a program is handed the file.
  std::error_code missing;
  if (std::filesystem::exists(target_, missing) && !mayWrite(target_)) throw SceneError(failure(name_, errno));
  // Another file of the same name is unlikely but possible: try a few names.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = target_ + randomSuffix();
    const int fd = createNewFile(candidate);
    if (fd >= 0) {
      closeFile(fd);
      std::error_code error;
      const std::filesystem::file_status existing = std::filesystem::status(target_, error);
      if (std::filesystem::exists(existing)) std::filesystem::permissions(candidate, existing.permissions(), error);
      if (error && std::filesystem::exists(existing)) {
        std::filesystem::remove(candidate, error);
        throw SceneError(name_ + ": cannot keep its permissions");
      }
      path_ = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  throw SceneError(failure(name_, errno));
}

TemporaryFile::~TemporaryFile() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

void TemporaryFile::write(std::string_view contents) const {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path_.c_str(), "wb"), &std::fclose);
  if (!file) throw SceneError(failure(name_, errno));
  if (std::fwrite(contents.data(), 1, contents.size(), file.get()) != contents.size() || std::fflush(file.get()) != 0 ||
      syncToDisk(file.get()) != 0) {
    throw SceneError(failure(name_, errno));
  }
  if (std::fclose(file.release()) != 0) throw SceneError(failure(name_, errno));
}

void TemporaryFile::replaceTarget() {
  // Replaces an existing target on every platform: rename(2) does, and on
  // Windows the standard library moves with MOVEFILE_REPLACE_EXISTING.
  std::error_code error;
  std::filesystem::rename(path_, target_, error);
  if (error) throw SceneError(name_ + ": cannot write: " + error.message());
  path_.clear();
#ifndef _WIN32
  syncFolder(target_);
#endif
}

}  // namespace kv::scenehost
