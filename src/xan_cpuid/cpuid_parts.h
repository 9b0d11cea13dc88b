// The host-independent parts of processor identification: signature fields, register text,
// brand-name trimming, level acceptance, and the checked CPUID execution over a given processor.
#pragma once

#include <cstdint>
#include <span>

#include "xan/platform/strings.h"

namespace xan::detail {

// ================================================================================================
// One CPUID execution and the processor that performs it

// The four words one CPUID execution yields, in this order.
struct TCpuIdRegs {
  uint32_t EAX = 0;
  uint32_t EBX = 0;
  uint32_t ECX = 0;
  uint32_t EDX = 0;
  friend constexpr bool operator==(const TCpuIdRegs&, const TCpuIdRegs&) = default;
};

// What the checked execution needs of a processor: whether CPUID exists, and the raw
// instruction at a level. The host's processor is HostProcessor() (processor.h); tests pass
// processors of their own.
struct TCpuIdProcessor {
  bool (*HasCpuId)() noexcept;
  TCpuIdRegs (*Execute)(uint32_t level) noexcept;
};

// The levels this unit executes.
inline constexpr uint32_t kLevelVendor = 0;
inline constexpr uint32_t kLevelSignature = 1;
inline constexpr uint32_t kLevelExtendedMax = 0x80000000U;
inline constexpr uint32_t kLevelExtendedFeatures = 0x80000001U;
// The brand name fills the three levels from here on.
inline constexpr uint32_t kLevelBrandFirst = 0x80000002U;

// True when `level` may be executed on a processor whose highest standard level is
// `highestStandard` (level 0 EAX) and highest extended level `highestExtended` (level 0x80000000
// EAX). A standard level (below 0x80000000) needs highestStandard >= level, compared as signed
// 32-bit numbers; an extended level needs level <= highestExtended, compared unsigned. Neither
// bound accepts a level of the other range: a processor answers a level above its highest with
// the words of some other level, not with an error.
//   (1, S=0xD, X=0x80000008) => true         (0xE, S=0xD, X=0x80000008) => false
//   (0x80000004, S=0xD, X=0x80000004) => true   (0x80000005, ..., X=0x80000004) => false
//   (0x80000001, S=0xD, X=0x00000001) => false  (0, S=0x80000000, ...) => false (negative S)
bool LevelAccepted(uint32_t level, uint32_t highestStandard, uint32_t highestExtended) noexcept;

// The checked execution: executes CPUID at `level` on `cpu` `repeat` times (at least once) and
// leaves the last result in `result`.
// Throws EXANCpuIdError "Cannot acquire CPU information (CPUID not supported)" when the processor
// has no CPUID, and "CPUID: execution level not supported" when LevelAccepted refuses the level;
// `result` is then unchanged.
void ExecuteCpuId(const TCpuIdProcessor& cpu, uint32_t level, int32_t repeat, TCpuIdRegs& result);

// ================================================================================================
// Signature fields: bit fields of the level-1 EAX word

constexpr uint32_t SignatureStepping(uint32_t sig) noexcept {
  return sig & 0xFU;
}
constexpr uint32_t SignatureModel(uint32_t sig) noexcept {
  return (sig >> 4) & 0xFU;
}
constexpr uint32_t SignatureFamily(uint32_t sig) noexcept {
  return (sig >> 8) & 0xFU;
}
constexpr uint32_t SignatureType(uint32_t sig) noexcept {
  return (sig >> 12) & 0x3U;
}
constexpr uint32_t SignatureExModel(uint32_t sig) noexcept {
  return (sig >> 16) & 0xFU;
}
constexpr uint32_t SignatureExFamily(uint32_t sig) noexcept {
  return (sig >> 20) & 0xFFU;
}
// An OverDrive processor has type 1.
constexpr bool SignatureOverDrive(uint32_t sig) noexcept {
  return SignatureType(sig) == 1;
}

// ================================================================================================
// Texts from register words

// The 4 characters of a word: its bytes from the lowest to the highest, each as the character
// of the same code; zero bytes included.
//   0x756E6547 => u"Genu"      0x00000041 => u"A\0\0\0"
String RegisterText(uint32_t word);

// The vendor text of a level-0 result: the register texts of EBX, EDX and ECX. The text ends at
// its first zero byte; a vendor shorter than 12 characters gives "Unknown".
//   (EBX 0x756E6547, EDX 0x49656E69, ECX 0x6C65746E) => u"GenuineIntel"
//   any zero byte in the 12 => u"Unknown"
String VendorText(const TCpuIdRegs& level0);

// The brand name from its 48 raw characters: characters of code 32 or below are removed from
// both ends; a character below 32 left inside makes the result "unknown"; all blanks or zero
// bytes give an empty text.
//   u"  Intel(R) Core(TM) CPU\0\0..." => u"Intel(R) Core(TM) CPU"
//   u"AMD\tEPYC" => u"unknown"          u"   \0\0" => u""
String TrimBrandName(StringView raw);

// The brand name of the three brand levels' results (0x80000002..0x80000004): the register
// texts of EAX, EBX, ECX, EDX of each in turn, trimmed by TrimBrandName.
String BrandNameText(std::span<const TCpuIdRegs, 3> brandLevels);

// The serial text: `eax` as 8 upper-case hexadecimal digits, then `edx`, then `ecx`.
//   (0x000306A9, 0xBFEBFBFF, 0x7FBAE3FF) => u"000306A9BFEBFBFF7FBAE3FF"
String SerialText(uint32_t eax, uint32_t edx, uint32_t ecx);

// ================================================================================================
// Queries over a processor (the public CPU_... functions run them on the host's processor)

// The vendor text, or "Unknown" when the execution fails. Does not throw EXANCpuIdError.
String VendorStringOf(const TCpuIdProcessor& cpu);
// The brand name. Throws EXANCpuIdError as ExecuteCpuId.
String MarketNameOf(const TCpuIdProcessor& cpu);
// The serial text of two level-1 executions. Throws EXANCpuIdError as ExecuteCpuId.
String SerialNumberOf(const TCpuIdProcessor& cpu);
// True when the processor reports the time-stamp counter (level-1 EDX bit 4). Never throws:
// false when it cannot be asked.
bool HasTimeStampCounterOf(const TCpuIdProcessor& cpu) noexcept;

// ================================================================================================
// Clock speed

// The clocks a speed measurement reads: the tick count in milliseconds (TickCount) and the
// time-stamp counter. Tests pass clocks of their own.
struct TSpeedClocks {
  uint64_t (*Tick)() noexcept;
  uint64_t (*TimeStamp)() noexcept;
};

// The time-stamp counter at the start and at the end of a measurement, and the milliseconds of
// the tick count it is counted over.
struct TSpeedCounts {
  uint64_t Start = 0;
  uint64_t End = 0;
  uint64_t Milliseconds = 0;
};

// One measurement over `milliseconds` (at least 1) of the tick count: t0 is read and the
// tick count read until it changes, the counter is read as the start, the tick count read until
// it is at least t0 + `milliseconds`, and the counter read as the end. A start that the thread
// was held up in (the count changed by more than one, or moved on before the counter was read)
// is taken again at a later change; a hold-up at the end is counted in Milliseconds, which is
// otherwise `milliseconds`.
TSpeedCounts MeasureCounts(const TSpeedClocks& clocks, uint32_t milliseconds) noexcept;

// Megahertz from two time-stamp counter readings taken `milliseconds` apart:
// (end - start) / (1000 * milliseconds), rounded to single precision. 0 for 0 milliseconds.
//   (0, 2000000000, 1000) => 2000.0f     (5, 5, 10) => 0.0f     (0, 1000, 0) => 0.0f
float SpeedFromCounts(uint64_t start, uint64_t end, uint64_t milliseconds) noexcept;

}  // namespace xan::detail
