// SPDX-License-Identifier: MIT
// Output that cannot fail unnoticed: a failed write or flush of a command's
// output is an error naming what failed and why; a reader that has gone away
// (a closed pipe, as in "scenehost eval scene.json | head") ends the program
// quietly.
#pragma once

#include <iosfwd>
#include <streambuf>
#include <string>

namespace kv::scenehost {

// While it lives, `stream` writes through a buffer that keeps the reason
// (errno) of its first failed write, which checkWritten reports: a stream
// keeps no reason of its own, and errno is overwritten by whatever runs
// between the failure and the check (a mathematics function's EDOM).
class WriteErrorKeeper {
 public:
  explicit WriteErrorKeeper(std::ostream& stream);
  ~WriteErrorKeeper();
  WriteErrorKeeper(const WriteErrorKeeper&) = delete;
  WriteErrorKeeper& operator=(const WriteErrorKeeper&) = delete;

  // Forwards every write to the stream's own buffer, unbuffered.
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::streambuf* target) : target_(target) {}
    std::streambuf* target() const { return target_; }
    int error() const { return error_; }

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* text, std::streamsize count) override;
    int sync() override;

   private:
    void keepErrno();
    std::streambuf* target_;
    int error_ = 0;
  };

 private:
  std::ostream& stream_;
  Buffer buffer_;
};

// Throws SceneError ("NAME: cannot write: reason") when `stream` has failed,
// or OutputClosed when its reader has gone.
void checkWritten(const std::ostream& stream, const std::string& name);

// Flushes `stream`, then checks it as checkWritten does.
void flushAndCheck(std::ostream& stream, const std::string& name);

// Whether `stream` is the process's standard output or error and that is a terminal.
bool isTerminal(const std::ostream& stream);

}  // namespace kv::scenehost
