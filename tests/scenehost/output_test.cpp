// SPDX-License-Identifier: MIT
// What the commands write: frames streamed as they are computed, and every
// failed write an error, except a reader that has gone.
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <streambuf>

#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

// Takes `room` characters, then fails every write with `error` in errno.
class FailingBuffer : public std::streambuf {
 public:
  FailingBuffer(std::size_t room, int error) : room_(room), error_(error) {}
  const std::string& taken() const { return taken_; }

 protected:
  int_type overflow(int_type c) override {
    if (taken_.size() >= room_) {
      errno = error_;
      return traits_type::eof();
    }
    taken_ += traits_type::to_char_type(c);
    return c;
  }

 private:
  std::size_t room_;
  int error_;
  std::string taken_;
};

class OutputTest : public ScenehostTest {
 protected:
  // eval is given the built module.
  RunResult runInto(FailingBuffer& buffer, std::vector<std::string> arguments) {
    if (arguments[0] == "eval") arguments.insert(arguments.end(), {"--module", KV_MODULE_PATH});
    std::ostream out(&buffer);
    std::ostringstream err;
    return {runScenehost(arguments, out, err), buffer.taken(), err.str()};
  }

  std::string scene() {
    return write("ball.json", R"({"items": [{"type": "object", "name": "Ball"}],
      "nodes": [{"server": "Item Pos", "item": "Ball", "outputs": ["Position"]}]})");
  }
};

TEST_F(OutputTest, FramesAreWrittenAsTheyComeAndAFullOutputStopsTheRun) {
  // Two billion frames can be neither held (a run that keeps them ends in
  // std::bad_alloc) nor computed before the output fills: the run ends with
  // the output's error only when the first rows reach it at once.
  for (const char* format : {"table", "csv", "json"}) {
    FailingBuffer full(4096, ENOSPC);
    const RunResult result = runInto(full, {"eval", scene(), "--frames", "0..2000000000", "--format", format});
    EXPECT_EQ(result.status, 1) << format;
    EXPECT_EQ(result.out.size(), 4096u) << format;
    EXPECT_EQ(result.err, "scenehost: standard output: cannot write: No space left on device\n") << format;
  }
}

TEST_F(OutputTest, EveryCommandChecksItsLastFlushAndAClosedPipeEndsQuietly) {
  FailingBuffer full(10, ENOSPC);
  const RunResult servers = runInto(full, {"servers", KV_MODULE_PATH});
  EXPECT_EQ(servers.status, 1);
  EXPECT_EQ(servers.err, "scenehost: standard output: cannot write: No space left on device\n");

  // Help and listings too, whichever way they are asked for.
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--help"}, {"help"}, {"eval", "--help"}, {"servers", "--help"}}) {
    FailingBuffer small(10, ENOSPC);
    const RunResult help = runInto(small, arguments);
    EXPECT_EQ(help.status, 1) << arguments[0];
    EXPECT_EQ(help.err, "scenehost: standard output: cannot write: No space left on device\n");
  }

  FailingBuffer closed(100, EPIPE);
  const RunResult eval = runInto(closed, {"eval", scene(), "--frames", "0..100000"});
  EXPECT_EQ(eval.status, 1);
  EXPECT_EQ(eval.err, "");
  EXPECT_EQ(eval.out.size(), 100u);
}

TEST_F(OutputTest, AFailedWriteIsReportedWithItsOwnReason) {
  // The evaluation group leaves EDOM in errno after the write failed.
  FailingBuffer full(10, ENOSPC);
  const RunResult result = runInto(full, {"validate", KV_MODULE_PATH, "--level", "quick", "--only", "evaluation"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "scenehost: standard output: cannot write: No space left on device\n");
}

}  // namespace
}  // namespace kv::scenehost::testing
