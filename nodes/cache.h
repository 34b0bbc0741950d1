// SPDX-License-Identifier: MIT
// Dropping an instance's cached results: at each new time step and whenever a
// setting that decides what is sampled changes.
#pragma once

#include <atomic>

#include "nodes/instance.h"

namespace kv {

// Clears the CACHE_MASK bits, leaving the higher ones. Only called while no
// evaluation of the instance runs (the host's contract for new-time and panel edits).
template <InstanceRecord R>
void clearCaches(R& record) noexcept {
  record.cacheFlags.fetch_and(~CACHE_MASK, std::memory_order_relaxed);
  record.cacheFilling.fetch_and(~CACHE_MASK, std::memory_order_relaxed);
}

}  // namespace kv
