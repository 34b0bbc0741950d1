// SPDX-License-Identifier: MIT
#include "scenehost/progress_line.h"

#include <cstdio>
#include <ostream>

namespace kv::scenehost {

ProgressLine::ProgressLine(std::ostream& terminal, std::int64_t total, bool shown)
    : terminal_(terminal), total_(total), shown_(shown) {}

ProgressLine::~ProgressLine() {
  if (drawn_) terminal_ << "\r\033[K" << std::flush;
}

void ProgressLine::redraw(int frame) {
  const Clock::time_point now = Clock::now();
  if (now < nextDraw_) return;
  nextDraw_ = now + std::chrono::milliseconds(250);
  char line[128];
  std::snprintf(line, sizeof line, "\rframe %d: %lld of %lld frames (%.0f%%)\033[K", frame,
                static_cast<long long>(done_), static_cast<long long>(total_),
                100.0 * static_cast<double>(done_) / static_cast<double>(total_));
  terminal_ << line << std::flush;
  drawn_ = true;
}

}  // namespace kv::scenehost
