// The host's links (an item's parent, the next item of a list) end in 0; a
// damaged scene or a faulty host can make them loop. Every walk over them
// watches the identifiers it visits so that it ends all the same.
#pragma once

#include <cstdint>

#include "module/host_api.h"

namespace kv {

// Brent's cycle detection on the identifiers of a walk, in visiting order, with
// the first identifier also kept: a few words of state and no host call of its
// own, so a walk whose links end in 0 costs what it did. A loop back to the
// first item is seen at its first revisit; a loop of L items entered after T
// others within 2(T + L) + L visits.
class LinkLoopWatch {
 public:
  // Call with each identifier the walk visits; true once the links have
  // looped, `id` being a revisit.
  constexpr bool revisits(ItemId id) noexcept {
    if (id == first_) {
      loopLength_ = visited_;
      return true;
    }
    if (id == mark_) {
      loopLength_ = sinceMark_ + 1;
      return true;
    }
    if (visited_++ == 0) first_ = id;
    if (++sinceMark_ == span_) {
      mark_ = id;
      span_ *= 2;
      sinceMark_ = 0;
    }
    return false;
  }

  // The number of items in the loop, once revisits() has returned true.
  constexpr std::uint32_t loopLength() const noexcept { return loopLength_; }

 private:
  ItemId first_ = 0;  // 0 is never visited: it ends every walk
  ItemId mark_ = 0;
  std::uint32_t visited_ = 0;
  std::uint32_t span_ = 1;
  std::uint32_t sinceMark_ = 0;
  std::uint32_t loopLength_ = 0;
};

}  // namespace kv
