#include "scenehost/output_check.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <iostream>

#include "scenehost/errors.h"

namespace kv::scenehost {

void checkWritten(const std::ostream& stream, const std::string& name) {
  if (stream) return;
  // The stream keeps no reason; the failed write(2) left it in errno.
  const int error = errno;
  if (error == EPIPE) throw OutputClosed(name + ": the reader has gone");
  throw SceneError(name + ": cannot write" + (error != 0 ? std::string(": ") + std::strerror(error) : ""));
}

void flushAndCheck(std::ostream& stream, const std::string& name) {
  if (stream) {
    errno = 0;
    stream.flush();
  }
  checkWritten(stream, name);
}

bool isTerminal(const std::ostream& stream) {
#ifdef _WIN32
  const auto terminal = [](int fd) { return ::_isatty(fd) != 0; };
#else
  const auto terminal = [](int fd) { return ::isatty(fd) != 0; };
#endif
  if (&stream == &std::cout) return terminal(1);
  if (&stream == &std::cerr) return terminal(2);
  return false;
}

}  // namespace kv::scenehost
