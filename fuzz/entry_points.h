// SPDX-License-Identifier: MIT
// What the targets' libFuzzer entry points share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/byte_reader.h"
#include "fuzz/loaded_module.h"

namespace kv::fuzz {

// For LLVMFuzzerInitialize: loads the module before fuzzing starts, so that its
// code is counted from the first input.
inline int loadModuleBeforeFuzzing() {
  module();
  return 0;
}

// For LLVMFuzzerTestOneInput: one Session read from the whole input, run.
template <class Session>
int runSession(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  Session session(in);
  session.run();
  return 0;
}

}  // namespace kv::fuzz
