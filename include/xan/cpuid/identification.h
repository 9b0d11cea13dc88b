// Processor identification through the CPUID instruction: vendor, signature fields, feature
// words with a name per feature bit, brand name, serial text, the division flaw and clock speed.
#pragma once

#include <array>
#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// The queries work on 32-bit x86 and x86-64 processors. On any other processor CPU_IDSupport is
// false, the queries that execute CPUID throw EXANCpuIdError "Cannot acquire CPU information
// (CPUID not supported)", CPU_VendorString gives "Unknown", CPU_FDIVBugPresent false and
// CPU_Speed 0.
//
// Every query that executes CPUID first checks that the processor has it and that it supports
// the level asked for; it throws EXANCpuIdError with
//   "Cannot acquire CPU information (CPUID not supported)"  when the processor has no CPUID,
//   "CPUID: execution level not supported"                  when the level is above the
//                                                           processor's highest of its range.
// The level of each execution is kept in one process-wide variable: the queries must not run on
// two threads at once.

// ================================================================================================
// Feature bits

// The bits 0..31 of the feature words, in order. Bit 31 (cpuft_3dnow) is reported in the extended
// feature word (CPU_ExtendedFeatureSet); the others are bits of CPU_FeatureSet.
enum TCPUFeatures : uint8_t {
  cpuft_fpu,
  cpuft_vme,
  cpuft_de,
  cpuft_pse,
  cpuft_tsc,
  cpuft_msr,
  cpuft_pae,
  cpuft_mce,
  cpuft_cx8,
  cpuft_apic,
  cpuft_sepamd,
  cpuft_sep,
  cpuft_mtrr,
  cpuft_pge,
  cpuft_mca,
  cpuft_cmov,
  cpuft_pat,
  cpuft_pse36,
  cpuft_serial,
  cpuft_clflush,
  cpuft_reserved1,
  cpuft_dts,
  cpuft_acpi,
  cpuft_mmx,
  cpuft_xsr,
  cpuft_simd,
  cpuft_simd2,
  cpuft_ss,
  cpuft_reserved2,
  cpuft_tm,
  cpuft_ia64,
  cpuft_3dnow
};

// A description of each feature bit, indexed by TCPUFeatures.
inline constexpr std::array<StringView, 32> CPUFeatureNames = {
    u"Floating Point Unit",
    u"V86 Mode Extensions",
    u"Debug Extensions - I/O breakpoints supported",
    u"Page Size Extensions (4 MB pages supported)",
    u"Time Stamp Counter and RDTSC instruction are available",
    u"Model Specific Registers",
    u"Physical Address Extensions (36-bit address, 2MB pages)",
    u"Machine Check Exception supported",
    u"Compare Exchange Eight Byte instruction available",
    u"Local APIC present (multiprocessor operation support)",
    u"Fast system calls (AMD only)",
    u"Fast system calls",
    u"Memory Type Range Registers",
    u"Page Global Enable",
    u"Machine Check Architecture",
    u"Conditional MOVe instructions",
    u"Page Attribute Table",
    u"36 bit Page Size Extensions",
    u"Processor Serial Number",
    u"Cache Flush",
    u"reserved",
    u"Debug Trace Store",
    u"ACPI support",
    u"MultiMedia Extensions",
    u"FXSAVE and FXRSTOR instructions",
    u"SSE instructions",
    u"SSE2 (WNI) instructions",
    u"self snoop",
    u"reserved",
    u"Automatic clock control",
    u"IA64 instructions",
    u"3DNow! instructions available",
};

// ================================================================================================
// The processor and its count

// True when the processor has the CPUID instruction: bit 21 of the flags register (the ID flag)
// can be flipped. The flags register is left as it was. Never throws.
XAN_EXPORT bool CPU_IDSupport() noexcept;

// The number of logical processors the system has online, at least 1. Never throws.
XAN_EXPORT int32_t CPU_Count() noexcept;

// ================================================================================================
// Identification words (each executes CPUID and throws EXANCpuIdError as described above)

// The vendor text of level 0: the register texts of EBX, EDX and ECX, 12 characters. A register
// text holds a word's bytes from the lowest to the highest, each as the character of the same
// code. A vendor that ends early (at a zero byte) or a failed execution gives "Unknown"; it
// does not throw.
//   Intel => u"GenuineIntel"   AMD => u"AuthenticAMD"   no CPUID => u"Unknown"
XAN_EXPORT String CPU_VendorString();

// The signature: EAX of level 1 (stepping, model, family, type, extended model and family).
XAN_EXPORT uint32_t CPU_Signature();

// The standard feature word: EDX of level 1; bit k is the feature TCPUFeatures(k) for k < 31.
XAN_EXPORT uint32_t CPU_FeatureSet();

// The extended feature word: EDX of level 0x80000001; bit 31 is cpuft_3dnow.
XAN_EXPORT uint32_t CPU_ExtendedFeatureSet();

// The brand number: the low byte of EBX of level 1 (0 on most processors since about 2002).
XAN_EXPORT uint8_t CPU_BrandID();

// ================================================================================================
// Signature fields: bit fields of CPU_Signature(), each 0 when the signature is 0.
//   signature 0x000306A9 => stepping 9, model 10 (0xA), family 6, type 0, extended model 3,
//                           extended family 0, not an OverDrive processor
//   signature 0x00001000 => type 1, an OverDrive processor

// Bits 12-13: 0 original, 1 OverDrive, 2 dual processor.
XAN_EXPORT uint32_t CPU_Type();
// Bits 8-11.
XAN_EXPORT uint32_t CPU_Family();
// Bits 20-27; the family is Family + ExFamily when Family is 15.
XAN_EXPORT uint32_t CPU_ExFamily();
// Bits 4-7.
XAN_EXPORT uint32_t CPU_Model();
// Bits 16-19; the model is ExModel * 16 + Model when the family is 6 or 15.
XAN_EXPORT uint32_t CPU_ExModel();
// Bits 0-3.
XAN_EXPORT uint32_t CPU_Stepping();
// True when CPU_Type() is 1.
XAN_EXPORT bool CPU_OverDrive();

// ================================================================================================
// Texts

// The serial text: EAX of a first level-1 execution, then EDX and ECX of a second, each as 8
// upper-case hexadecimal digits (24 digits).
//   => u"000306A9BFEBFBFF7FBAE3FF"
XAN_EXPORT String CPU_SerialNumber();

// The brand name of levels 0x80000002 to 0x80000004: the register texts of EAX, EBX, ECX and
// EDX of each, 48 characters, without the characters of code 32 or below (zero bytes included)
// at either end. A character below 32 left inside gives "unknown" (lower case); a brand of
// nothing but blanks and zero bytes gives an empty text. Throws EXANCpuIdError, notably "CPUID:
// execution level not supported" on processors without the brand levels.
//   u"    Intel(R) Core(TM) CPU\0\0\0..." => u"Intel(R) Core(TM) CPU"
//   u"AMD\tEPYC" => u"unknown"
XAN_EXPORT String CPU_MarketName();

// ================================================================================================
// Arithmetic and speed

// True when the processor has the division flaw of early Pentiums: 4195835 - (4195835 / 3145727)
// * 3145727, computed in 80-bit x87 arithmetic from double operands, is not exactly 0. False on
// a sound processor and on processors other than x86. Never throws.
XAN_EXPORT bool CPU_FDIVBugPresent() noexcept;

// The clock speed in megahertz, measured as the time-stamp counter's advance over
// `MeasuringTime` milliseconds of the tick count: (end - start) / (1000 * MeasuringTime).
// The measurement starts at a change of the tick count and busy-waits, with the process and
// thread priority raised as far as the host allows and restored afterwards (see
// TRaisedPriority): it blocks the calling thread and starves others on its processor for the
// whole time, so keep the time short (100 to 500 ms give a good figure). The first tick
// interval is waited for, not measured, so the result runs a little low with short times.
// Where the priority cannot be raised (no privileges on POSIX hosts), the scheduler may hold the
// thread up between its readings: a start it was held up in is taken again at a later tick
// change, and a hold-up at the end is counted in the time, so the figure stays right on a busy
// system; it is (end - start) / (1000 * MeasuringTime) whenever the thread is not held up.
// MeasuringTime 0 measures nothing and gives 0 at once; a processor without a time-stamp counter
// (or not x86) gives 0. Never throws.
//   CPU_Speed(500) on a 2000 MHz processor => about 2000
XAN_EXPORT float CPU_Speed(uint32_t MeasuringTime) noexcept;

}  // namespace xan
