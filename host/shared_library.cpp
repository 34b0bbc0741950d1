// SPDX-License-Identifier: MIT
#include "host/shared_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kv::host {

#ifdef _WIN32

LibraryHandle openLibrary(const std::string& path) {
  // A file that is no library must fail here, not stop the program with a dialog box.
  DWORD previousMode = 0;
  const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != 0;
  HMODULE library = LoadLibraryA(path.c_str());
  const DWORD error = GetLastError();
  if (quiet) SetThreadErrorMode(previousMode, nullptr);
  SetLastError(error);
  return library;
}

void* findSymbol(LibraryHandle library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string lastLibraryError() {
  const DWORD code = GetLastError();
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) --length;
  const std::string number = "error " + std::to_string(code);
  return length == 0 ? number : std::string(text, length) + " (" + number + ")";
}

#else

LibraryHandle openLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* findSymbol(LibraryHandle library, const char* name) { return dlsym(library, name); }

void closeLibrary(LibraryHandle library) { dlclose(library); }

std::string lastLibraryError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown error";
}

#endif

}  // namespace kv::host
