// SPDX-License-Identifier: MIT
// The floating-point state the module computes in, whatever state the host
// calls with: round to nearest, every exception masked, no flushing of
// denormals, and on 32-bit x86 the x87 at 64-bit precision. That is the state
// glibc and the MinGW runtime start a program in (fninit's), so it is the one
// in which the tests and tools compute the module's results. The module's own
// arithmetic is SSE; the x87 matters for the C runtime's sine, cosine and arc
// functions, which use it on 32-bit x86 and round to its precision control.
//
// Only the code that computes runs in it: the walks, the world rotation, the
// angle rounding and a relative time's sum. Values the host delivers and the
// module passes on unchanged, and the per-step caches, are served without a
// guard, because reading MXCSR costs several nanoseconds on some processors, as
// much as serving a cached output; that code does no floating-point arithmetic,
// so it raises nothing whatever the caller unmasks. Writing the control words
// costs more still, so a guard writes only where the caller's state differs,
// and puts the caller's words back exactly on leaving.
//
// Exception flags raised inside stay set on leaving, as the C runtime leaves
// them, except where the caller unmasks the exception: x87 exceptions are
// raised at the next x87 instruction after their flag, so a flag left set
// there would trap in the host. Those flags are cleared again before the
// caller's control word comes back, the flags the caller had set left as they
// were. MXCSR traps at once instead, and a guard that rewrote MXCSR puts the
// caller's whole register back, flags included.
#pragma once

#include <cstdint>

#if !defined(__i386__) && !defined(__x86_64__)
#error "the module's floating-point state is defined for x86 targets only"
#endif

#include <xmmintrin.h>

#include <utility>

namespace kv {

class DefaultFpState {
 public:
  DefaultFpState() noexcept : callerMxcsr_(_mm_getcsr()) {
    if ((callerMxcsr_ & MXCSR_CONTROL) != MXCSR_DEFAULT) _mm_setcsr(MXCSR_DEFAULT);
#if defined(__i386__)
    __asm__ volatile("fnstcw %0" : "=m"(callerX87_));
    if (x87Differs()) {
      if (x87Unmasked() != 0) __asm__ volatile("fnstsw %0" : "=m"(callerX87Status_));
      __asm__ volatile("fldcw %0" : : "m"(X87_DEFAULT));
    }
#endif
  }

  ~DefaultFpState() {
    if ((callerMxcsr_ & MXCSR_CONTROL) != MXCSR_DEFAULT) _mm_setcsr(callerMxcsr_);
#if defined(__i386__)
    if (x87Differs()) {
      if (x87Unmasked() != 0) clearRaisedX87Flags();
      __asm__ volatile("fldcw %0" : : "m"(callerX87_));
    }
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
  // The exceptions: their masks in the x87 control word, their flags in the status word.
  static constexpr std::uint16_t X87_EXCEPTIONS = 0x003F;

 private:
#if defined(__i386__)
  bool x87Differs() const noexcept { return (callerX87_ & X87_CONTROL) != (X87_DEFAULT & X87_CONTROL); }
  std::uint16_t x87Unmasked() const noexcept { return ~callerX87_ & X87_EXCEPTIONS; }

  // Rare (a caller that unmasks an exception the module raised), so the status
  // word is rewritten through the whole environment, the one way to clear
  // single flags.
  void clearRaisedX87Flags() const noexcept {
    std::uint16_t status = 0;
    __asm__ volatile("fnstsw %0" : "=m"(status));
    const auto raised = static_cast<std::uint16_t>(status & x87Unmasked() & ~callerX87Status_);
    if (raised == 0) return;
    X87Environment environment{};
    __asm__ volatile("fnstenv %0" : "=m"(environment));
    environment.status &= static_cast<std::uint16_t>(~raised);
    __asm__ volatile("fldenv %0" : : "m"(environment));
  }

  // What fnstenv stores in 32-bit mode.
  struct X87Environment {
    std::uint16_t control;
    std::uint16_t reserved0;
    std::uint16_t status;
    std::uint16_t reserved1;
    std::uint32_t rest[5];  // tag word, instruction and operand pointers
  };
  static_assert(sizeof(X87Environment) == 28);
#endif

  std::uint32_t callerMxcsr_;
#if defined(__i386__)
  std::uint16_t callerX87_;
  std::uint16_t callerX87Status_ = 0;
#endif
};

// Calls `compute` in the default state. The compiler does not order arithmetic
// against the control-word instructions, so `compute` must do none of its own:
// it may only call the host and functions of other translation units.
template <class Compute>
decltype(auto) inDefaultFpState(Compute&& compute) noexcept {
  const DefaultFpState state;
  return std::forward<Compute>(compute)();
}

// a + b, rounded as in the default state. The empty statements pin the operands
// after the state is set and the sum before it is put back.
inline double sumInDefaultFpState(double a, double b) noexcept {
  const DefaultFpState state;
  __asm__ volatile("" : "+x"(a), "+x"(b));
  double sum = a + b;
  __asm__ volatile("" : "+x"(sum));
  return sum;
}

}  // namespace kv
