// SPDX-License-Identifier: MIT
// The module file a fuzz target drives, loaded once per process.
#pragma once

#include "host/module_loader.h"

namespace kv::fuzz {

inline host::LoadedModule& module() {
  static host::LoadedModule loaded(KV_MODULE_PATH);
  return loaded;
}

}  // namespace kv::fuzz
