// SPDX-License-Identifier: MIT
// Opening a shared library and finding its exported symbols: LoadLibrary on
// Windows, dlopen elsewhere. A failed call leaves its reason for lastError().
#pragma once

#include <string>

namespace kv::host {

using LibraryHandle = void*;

// The library at `path`, or null.
LibraryHandle openLibrary(const std::string& path);
// The address of the exported symbol `name`, or null.
void* findSymbol(LibraryHandle library, const char* name);
void closeLibrary(LibraryHandle library);
// The system's text for the last failure of the functions above on this thread.
std::string lastLibraryError();

}  // namespace kv::host
