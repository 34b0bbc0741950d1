# SPDX-License-Identifier: MIT
# Code generation of both 32-bit x86 builds: SSE2 arithmetic, so that single
# precision steps round as single; and the host may call in with the stack
# aligned to only 4 bytes, so every function realigns when it needs more.
set(KV_I686_FLAGS "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
