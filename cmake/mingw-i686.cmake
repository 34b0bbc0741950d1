# SPDX-License-Identifier: MIT
# The Windows plug-in file: a 32-bit DLL built with MinGW-w64 (posix threads model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(kv_mingw i686-w64-mingw32)
set(CMAKE_C_COMPILER ${kv_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kv_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${kv_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${kv_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

include(${CMAKE_CURRENT_LIST_DIR}/i686-flags.cmake)
set(CMAKE_C_FLAGS_INIT "${KV_I686_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${KV_I686_FLAGS}")

# The host machine has no MinGW runtime DLLs: link libgcc, libstdc++ and
# winpthread into the file so that it imports Windows system DLLs only.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()

# The tests run the Windows programs under Wine (scripts/setup.sh prepares it).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
