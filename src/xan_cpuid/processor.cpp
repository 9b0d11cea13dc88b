// The processor's own instructions behind <cpuid.h> and <x86intrin.h> on x86 with GCC or Clang,
// and the explicit neutral answers on every other processor.
#include "xan_cpuid/processor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace xan::detail {

#if defined(__i386__) || defined(__x86_64__)

bool HostHasIdFlag() noexcept {
  constexpr unsigned kIdFlag = 0x200000U;
  // __readeflags is 32 bits wide on i386 and 64 on x86-64; the ID flag is in the low word.
  const auto original = __readeflags();
  __writeeflags(original ^ kIdFlag);
  const auto flipped = __readeflags();
  __writeeflags(original);
  return ((original ^ flipped) & kIdFlag) != 0;
}

TCpuIdRegs HostCpuId(uint32_t level) noexcept {
  TCpuIdRegs r;
  // ECX selects a sub-level on some levels; 0 keeps such levels repeatable.
  __cpuid_count(level, 0, r.EAX, r.EBX, r.ECX, r.EDX);
  return r;
}

uint64_t HostTimeStamp() noexcept {
  return __rdtsc();
}

bool HostFdivFlawed() noexcept {
  // volatile keeps the compiler from folding the division at compile time: the check is about
  // the processor's arithmetic.
  volatile double dividend = 4195835.0;
  volatile double divisor = 3145727.0;
  const long double x = dividend;
  const long double y = divisor;
  return x - (x / y) * y != 0.0L;
}

#else  // no x86: no CPUID, no time-stamp counter, no x87 division flaw

bool HostHasIdFlag() noexcept {
  return false;
}

TCpuIdRegs HostCpuId(uint32_t /*level*/) noexcept {
  return {};
}

uint64_t HostTimeStamp() noexcept {
  return 0;
}

bool HostFdivFlawed() noexcept {
  return false;
}

#endif

const TCpuIdProcessor& HostProcessor() noexcept {
  static constexpr TCpuIdProcessor kHost{&HostHasIdFlag, &HostCpuId};
  return kHost;
}

}  // namespace xan::detail
