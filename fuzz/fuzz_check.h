// SPDX-License-Identifier: MIT
// Invariant checks of the fuzz targets: a failed one names itself and aborts,
// which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                       \
  do {                                                                                                    \
    if (!(condition)) {                                                                                   \
      std::fprintf(stderr, "invariant failed at %s:%d: %s (%s)\n", __FILE__, __LINE__, what, #condition); \
      std::abort();                                                                                       \
    }                                                                                                     \
  } while (false)
