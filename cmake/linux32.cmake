# SPDX-License-Identifier: MIT
# 32-bit x86 Linux with the host compiler's multilib support. The plug-in's host
# is a 32-bit program, so this build runs the tests on the same data layout and
# calling convention; they run through qemu so that no 32-bit kernel support is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)

include(${CMAKE_CURRENT_LIST_DIR}/i686-flags.cmake)
set(CMAKE_C_FLAGS_INIT "-m32 ${KV_I686_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "-m32 ${KV_I686_FLAGS}")

find_program(KV_QEMU_I386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_QEMU_I386})
