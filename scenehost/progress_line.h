// SPDX-License-Identifier: MIT
// A progress line for long runs: once a run has taken a second, a line
// "frame F: N of M frames (P%)" on a terminal's standard error, redrawn a few
// times a second and erased at the end, so that it never mixes with output
// going elsewhere.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>

namespace kv::scenehost {

class ProgressLine {
 public:
  // Shows nothing unless `shown`.
  ProgressLine(std::ostream& terminal, std::int64_t total, bool shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // One more frame, `frame`, is done.
  void advance(int frame) {
    ++done_;
    // The clock is read only every so many frames.
    if (shown_ && done_ % 64 == 0) redraw(frame);
  }

 private:
  void redraw(int frame);

  using Clock = std::chrono::steady_clock;
  std::ostream& terminal_;
  std::int64_t total_;
  bool shown_;
  std::int64_t done_ = 0;
  Clock::time_point start_ = Clock::now();
  Clock::time_point nextDraw_ = start_ + std::chrono::seconds(1);
  bool drawn_ = false;
};

}  // namespace kv::scenehost
