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

// The three calls that differ between the C runtimes.
#ifdef _WIN32
int createNewFile(const std::string& path) {
  return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int closeFile(int fd) { return ::_close(fd); }
int syncToDisk(std::FILE* file) { return ::_commit(::_fileno(file)); }
#else
int createNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int closeFile(int fd) { return ::close(fd); }
int syncToDisk(std::FILE* file) { return ::fsync(::fileno(file)); }
#endif

std::string failure(const std::string& target, int error) { return target + ": cannot write: " + std::strerror(error); }

std::string randomSuffix() {
  static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
  std::string suffix = ".";
  for (int i = 0; i < 8; ++i) suffix += LETTERS[pick(source)];
  return suffix;
}

}  // namespace

TemporaryFile::TemporaryFile(std::string target) : target_(std::move(target)) {
  // Another file of the same name is unlikely but possible: try a few names.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = target_ + randomSuffix();
    const int fd = createNewFile(candidate);
    if (fd >= 0) {
      closeFile(fd);
      path_ = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  throw SceneError(failure(target_, errno));
}

TemporaryFile::~TemporaryFile() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

void TemporaryFile::write(std::string_view contents) const {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path_.c_str(), "wb"), &std::fclose);
  if (!file) throw SceneError(failure(target_, errno));
  if (std::fwrite(contents.data(), 1, contents.size(), file.get()) != contents.size() || std::fflush(file.get()) != 0 ||
      syncToDisk(file.get()) != 0) {
    throw SceneError(failure(target_, errno));
  }
  if (std::fclose(file.release()) != 0) throw SceneError(failure(target_, errno));
}

void TemporaryFile::replaceTarget() {
  // Replaces an existing target on every platform: rename(2) does, and on
  // Windows the standard library moves with MOVEFILE_REPLACE_EXISTING.
  std::error_code error;
  std::filesystem::rename(path_, target_, error);
  if (error) throw SceneError(target_ + ": cannot write: " + error.message());
  path_.clear();
}

}  // namespace kv::scenehost
