// The processor's own instructions, as this unit uses them: the identification flag, CPUID,
// the time-stamp counter and the x87 division check. Each has a neutral answer on other hosts.
#pragma once

#include <cstdint>

#include "xan_cpuid/cpuid_parts.h"

namespace xan::detail {

// True when bit 21 of the flags register (the ID flag) can be flipped: the processor has CPUID.
// The flags register is restored afterwards. False on other processors.
bool HostHasIdFlag() noexcept;

// One raw CPUID execution at `level` (ECX set to 0). All words 0 on other processors.
TCpuIdRegs HostCpuId(uint32_t level) noexcept;

// The host's processor for the checked execution.
const TCpuIdProcessor& HostProcessor() noexcept;

// The time-stamp counter (RDTSC). 0 on other processors; callers make sure it exists.
uint64_t HostTimeStamp() noexcept;

// True when 4195835 - (4195835 / 3145727) * 3145727, computed in the x87 unit's 80-bit
// arithmetic from double operands, is not exactly 0: the division flaw of early Pentiums.
// False on other processors, which never had it.
bool HostFdivFlawed() noexcept;

}  // namespace xan::detail
