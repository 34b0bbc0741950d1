# 32-bit x86 Linux with the host compiler's multilib support. The plug-in's host
# is a 32-bit program, so this build runs the tests on the same data layout and
# calling convention; they run through qemu so that no 32-bit kernel support is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)

# SSE2 arithmetic as on the Windows build; the host may call in with the stack
# aligned to only 4 bytes, so every function realigns when it needs more.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse -mincoming-stack-boundary=2")

find_program(KV_QEMU_I386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_QEMU_I386})
