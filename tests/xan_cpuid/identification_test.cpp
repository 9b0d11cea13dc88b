// Processor identification on the real processor, checked against the test's own reading of
// the same instructions (CPUID, the time-stamp counter) rather than against what the host's
// kernel says about the processor, which a virtual machine need not keep in step with it.
#include "xan/cpuid/identification.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "xan/xanbase.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace xan {
namespace {

#if defined(__i386__) || defined(__x86_64__)
constexpr bool kX86 = true;

struct Regs {
  uint32_t a = 0, b = 0, c = 0, d = 0;
};

Regs Raw(uint32_t level) {
  Regs r;
  __cpuid_count(level, 0, r.a, r.b, r.c, r.d);
  return r;
}

uint64_t TimeStamp() {
  return __rdtsc();
}
#else
constexpr bool kX86 = false;
struct Regs {
  uint32_t a = 0, b = 0, c = 0, d = 0;
};
Regs Raw(uint32_t) {
  return {};
}
uint64_t TimeStamp() {
  return 0;
}
#endif

// The four bytes of a register, lowest first.
std::string Text(uint32_t word) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>(word >> (8 * i) & 0xFFU);
  return s;
}

// The time-stamp counter's rate in megahertz over `ms` milliseconds of the steady clock, read
// busy, as the library reads it.
double TimeStampMegahertz(int ms) {
  using Clock = std::chrono::steady_clock;
  const auto c0 = Clock::now();
  const uint64_t s0 = TimeStamp();
  while (Clock::now() - c0 < std::chrono::milliseconds(ms)) {
  }
  const uint64_t s1 = TimeStamp();
  const auto c1 = Clock::now();
  const double us = std::chrono::duration<double, std::micro>(c1 - c0).count();
  return static_cast<double>(s1 - s0) / us;
}

TEST(CpuIdentification, ProcessorCountIsTheHosts) {
  EXPECT_GE(CPU_Count(), 1);
  if (const unsigned n = std::thread::hardware_concurrency(); n > 0) {
    EXPECT_EQ(CPU_Count(), static_cast<int32_t>(n));
  }
}

TEST(CpuIdentification, SupportMatchesTheProcessorKind) {
  EXPECT_EQ(CPU_IDSupport(), kX86);
  if (!CPU_IDSupport()) {
    EXPECT_EQ(CPU_VendorString(), u"Unknown");
    try {
      CPU_Signature();
      FAIL() << "no exception";
    } catch (const EXANCpuIdError& e) {
      EXPECT_EQ(e.Message(), u"Cannot acquire CPU information (CPUID not supported)");
    }
    EXPECT_THROW(CPU_MarketName(), EXANCpuIdError);
    EXPECT_EQ(CPU_Speed(10), 0.0F);
  }
}

class OnX86 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CPU_IDSupport()) GTEST_SKIP() << "the processor has no CPUID";
    highestExtended = Raw(0x80000000U).a;
  }
  uint32_t highestExtended = 0;
};

TEST_F(OnX86, VendorIsLevelZeroInRegisterOrderBDC) {
  const Regs r = Raw(0);
  EXPECT_EQ(ToUtf8(CPU_VendorString()), Text(r.b) + Text(r.d) + Text(r.c));
}

TEST_F(OnX86, SignatureAndFeatureWordsAreTheRegistersOfTheirLevels) {
  const Regs one = Raw(1);
  const uint32_t sig = CPU_Signature();
  EXPECT_EQ(sig, one.a);
  EXPECT_EQ(CPU_FeatureSet(), one.d);
  EXPECT_EQ(CPU_BrandID(), one.b & 0xFFU);
  EXPECT_EQ(CPU_Stepping() | CPU_Model() << 4 | CPU_Family() << 8 | CPU_Type() << 12 |
                CPU_ExModel() << 16 | CPU_ExFamily() << 20,
            sig & 0x0FFF3FFFU);
  EXPECT_EQ(CPU_OverDrive(), CPU_Type() == 1);
  // Every processor that runs this library has these; a wrong word would lack them.
  EXPECT_TRUE(CPU_FeatureSet() >> cpuft_tsc & 1U);
  EXPECT_TRUE(CPU_FeatureSet() >> cpuft_cx8 & 1U);
  if (highestExtended >= 0x80000001U) {
    EXPECT_EQ(CPU_ExtendedFeatureSet(), Raw(0x80000001U).d);
  } else {
    EXPECT_THROW(CPU_ExtendedFeatureSet(), EXANCpuIdError);
  }
}

TEST_F(OnX86, BrandIsTheBrandLevelsTrimmed) {
  if (highestExtended < 0x80000004U) {
    EXPECT_THROW(CPU_MarketName(), EXANCpuIdError);
    GTEST_SKIP() << "the processor has no brand levels";
  }
  std::string raw;
  for (uint32_t level = 0x80000002U; level <= 0x80000004U; ++level) {
    const Regs r = Raw(level);
    raw += Text(r.a) + Text(r.b) + Text(r.c) + Text(r.d);
  }
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!raw.empty() && blank(raw.front())) raw.erase(0, 1);
  while (!raw.empty() && blank(raw.back())) raw.pop_back();
  bool control = false;
  for (char c : raw) control = control || static_cast<unsigned char>(c) < 32;
  const String brand = CPU_MarketName();
  EXPECT_EQ(brand, control ? String(u"unknown") : BytesToString(raw));
  std::printf("brand: %s\n", ToUtf8(brand).c_str());
}

TEST_F(OnX86, SerialIsSignatureThenFeatureWords) {
  const Regs one = Raw(1);
  char expected[25];
  std::snprintf(expected, sizeof expected, "%08X%08X%08X", one.a, one.d, one.c);
  EXPECT_EQ(ToUtf8(CPU_SerialNumber()), expected);
}

TEST(CpuArithmetic, NoDivisionFlaw) {
  EXPECT_FALSE(CPU_FDIVBugPresent());
}

TEST(CpuSpeed, ZeroTimeGivesZeroAtOnce) {
  EXPECT_EQ(CPU_Speed(0), 0.0F);
}

// CPU_Speed counts the time-stamp counter against the tick count; the test counts it against
// the steady clock. A busy host can hold a thread up at the end of either reading, so a reading
// that disagrees is taken again a few times before the test gives up.
TEST(CpuSpeed, AgreesWithTheTimeStampCountersRate) {
  if (!CPU_IDSupport()) GTEST_SKIP() << "the processor has no time-stamp counter";
  for (const uint32_t ms : {200U, 20U}) {
    double rate = 0;
    float measured = 0;
    bool agree = false;
    for (int attempt = 0; attempt < 4 && !agree; ++attempt) {
      rate = TimeStampMegahertz(100);
      measured = CPU_Speed(ms);
      agree = measured > rate * 0.8 && measured < rate * 1.25;
    }
    std::printf("CPU_Speed(%u) %.1f MHz, counter rate %.1f MHz\n", ms, measured, rate);
    EXPECT_TRUE(agree) << "CPU_Speed(" << ms << ") " << measured << " MHz, rate " << rate;
  }
}

}  // namespace
}  // namespace xan
