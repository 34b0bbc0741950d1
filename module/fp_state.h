// The floating-point state the module computes in, whatever state the host
// calls with: round to nearest, every exception masked, no flushing of
// denormals, and on 32-bit x86 the x87 at 64-bit precision. That is the state
// glibc and the MinGW runtime start a program in (fninit's), so it is the one
// in which the tests and tools compute the module's results. The module's own
// arithmetic is SSE; the x87 matters for the C runtime's sine, cosine and arc
// functions, which use it on 32-bit x86 and round to its precision control.
//
// Reading the control words is cheap and writing them is not: a guard writes
// only where the caller's state differs, and then puts the caller's words back
// exactly on leaving. The compiler does not order arithmetic against these
// instructions, so a guard must wrap a call into another translation unit.
#pragma once

#include <cstdint>

#if !defined(__i386__) && !defined(__x86_64__)
#error "the module's floating-point state is defined for x86 targets only"
#endif

#include <xmmintrin.h>

namespace kv {

class DefaultFpState {
 public:
  DefaultFpState() noexcept : callerMxcsr_(_mm_getcsr()) {
    if ((callerMxcsr_ & MXCSR_CONTROL) != MXCSR_DEFAULT) _mm_setcsr(MXCSR_DEFAULT);
#if defined(__i386__)
    __asm__ volatile("fnstcw %0" : "=m"(callerX87_));
    if ((callerX87_ & X87_CONTROL) != (X87_DEFAULT & X87_CONTROL)) __asm__ volatile("fldcw %0" : : "m"(X87_DEFAULT));
#endif
  }

  ~DefaultFpState() {
    if ((callerMxcsr_ & MXCSR_CONTROL) != MXCSR_DEFAULT) _mm_setcsr(callerMxcsr_);
#if defined(__i386__)
    if ((callerX87_ & X87_CONTROL) != (X87_DEFAULT & X87_CONTROL)) __asm__ volatile("fldcw %0" : : "m"(callerX87_));
#endif
  }

  DefaultFpState(const DefaultFpState&) = delete;
  DefaultFpState& operator=(const DefaultFpState&) = delete;

  // MXCSR without its exception flags: denormals-are-zero, masks, rounding, flush-to-zero.
  static constexpr std::uint32_t MXCSR_CONTROL = 0xFFC0;
  static constexpr std::uint32_t MXCSR_DEFAULT = 0x1F80;
  // x87 exception masks, precision and rounding control.
  static constexpr std::uint16_t X87_CONTROL = 0x0F3F;
  static constexpr std::uint16_t X87_DEFAULT = 0x037F;

 private:
  std::uint32_t callerMxcsr_;
#if defined(__i386__)
  std::uint16_t callerX87_;
#endif
};

}  // namespace kv
