// SPDX-License-Identifier: MIT
// The host's links (an item's parent, the next item of a list) end in 0; a
// damaged scene or a faulty host can make them loop. Every walk over them
// passes each link through a watch so that it ends all the same.
#pragma once

#include <cstdint>

#include "contract/host_api.h"

namespace kv {

// Brent's cycle detection on the identifiers of a walk, in visiting order, with
// the first identifier kept too: a few words of state and no host call of its
// own, so a walk whose links end in 0 costs what it did. A loop back to the
// first item is seen at its first revisit; a loop of L items entered after T
// others within 2(T + L) + L visits.
class LinkLoopWatch {
 public:
  // The walk starts at `first`.
  explicit constexpr LinkLoopWatch(ItemId first) noexcept : first_(first), mark_(first) {}

  // What the walk goes on to from a link: `id`, or 0 once the links have
  // looped (`id` being a revisit), so that the walk ends as at a 0 link.
  constexpr ItemId follow(ItemId id) noexcept {
    if (id == first_ || id == mark_) {
      loopLength_ = id == first_ ? visits_ : visits_ - markIndex_;
      return 0;
    }
    if (++visits_ == nextMark_) {
      mark_ = id;
      markIndex_ = visits_ - 1;
      nextMark_ *= 2;
    }
    return id;
  }

  constexpr bool looped() const noexcept { return loopLength_ != 0; }
  // The number of items in the loop, once looped.
  constexpr std::uint32_t loopLength() const noexcept { return loopLength_; }

 private:
  ItemId first_;
  ItemId mark_;                  // the item at index markIndex_ of the walk
  std::uint32_t markIndex_ = 0;  // indices count from the first item, 0
  std::uint32_t visits_ = 1;
  std::uint32_t nextMark_ = 2;  // marks are moved at indices 2^k - 1
  std::uint32_t loopLength_ = 0;
};

}  // namespace kv
