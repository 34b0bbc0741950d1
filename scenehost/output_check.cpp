// SPDX-License-Identifier: MIT
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

WriteErrorKeeper::WriteErrorKeeper(std::ostream& stream) : stream_(stream), buffer_(stream.rdbuf()) {
  stream_.rdbuf(&buffer_);
}

WriteErrorKeeper::~WriteErrorKeeper() { stream_.rdbuf(buffer_.target()); }

// Each forwarded call starts with errno 0, so that a failure that sets none
// keeps no stale reason.
WriteErrorKeeper::Buffer::int_type WriteErrorKeeper::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  errno = 0;
  const int_type result = target_->sputc(traits_type::to_char_type(c));
  if (traits_type::eq_int_type(result, traits_type::eof())) keepErrno();
  return result;
}

std::streamsize WriteErrorKeeper::Buffer::xsputn(const char_type* text, std::streamsize count) {
  errno = 0;
  const std::streamsize written = target_->sputn(text, count);
  if (written < count) keepErrno();
  return written;
}

int WriteErrorKeeper::Buffer::sync() {
  errno = 0;
  const int result = target_->pubsync();
  if (result != 0) keepErrno();
  return result;
}

void WriteErrorKeeper::Buffer::keepErrno() {
  if (error_ == 0) error_ = errno;
}

void checkWritten(const std::ostream& stream, const std::string& name) {
  if (stream) return;
  const auto* keeper = dynamic_cast<const WriteErrorKeeper::Buffer*>(stream.rdbuf());
  const int error = keeper != nullptr ? keeper->error() : errno;
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
