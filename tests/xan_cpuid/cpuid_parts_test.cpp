// The host-independent parts of processor identification on constructed register values:
// signature fields, register texts, brand trimming, level acceptance, the checked execution on
// simulated processors, and the speed arithmetic.
#include "xan_cpuid/cpuid_parts.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

#include "xan/cpuid.h"
#include "xan/xanbase.h"

namespace xan::detail {
namespace {

TEST(SignatureFields, SplitTheLevelOneWord) {
  constexpr uint32_t sig = 0x000306A9;
  EXPECT_EQ(SignatureStepping(sig), 9U);
  EXPECT_EQ(SignatureModel(sig), 10U);
  EXPECT_EQ(SignatureFamily(sig), 6U);
  EXPECT_EQ(SignatureType(sig), 0U);
  EXPECT_EQ(SignatureExModel(sig), 3U);
  EXPECT_EQ(SignatureExFamily(sig), 0U);
  EXPECT_FALSE(SignatureOverDrive(sig));
}

TEST(SignatureFields, EachFieldCoversExactlyItsBits) {
  // Every field is all ones in an all-ones word, and a single bit lands in exactly one field at
  // the right weight; bits 14-15 and 28-31 belong to no field.
  EXPECT_EQ(SignatureStepping(~0U), 0xFU);
  EXPECT_EQ(SignatureModel(~0U), 0xFU);
  EXPECT_EQ(SignatureFamily(~0U), 0xFU);
  EXPECT_EQ(SignatureType(~0U), 3U);
  EXPECT_EQ(SignatureExModel(~0U), 0xFU);
  EXPECT_EQ(SignatureExFamily(~0U), 0xFFU);
  for (int bit = 0; bit < 32; ++bit) {
    const uint32_t sig = 1U << bit;
    const uint32_t sum = SignatureStepping(sig) + (SignatureModel(sig) << 4) +
                         (SignatureFamily(sig) << 8) + (SignatureType(sig) << 12) +
                         (SignatureExModel(sig) << 16) + (SignatureExFamily(sig) << 20);
    const bool inField = bit < 14 || (bit >= 16 && bit < 28);
    EXPECT_EQ(sum, inField ? sig : 0U) << "bit " << bit;
  }
  EXPECT_EQ(SignatureStepping(0) + SignatureModel(0) + SignatureFamily(0) + SignatureType(0) +
                SignatureExModel(0) + SignatureExFamily(0),
            0U);
}

TEST(SignatureFields, OverDriveIsTypeOneOnly) {
  EXPECT_TRUE(SignatureOverDrive(0x00001000));
  EXPECT_TRUE(SignatureOverDrive(0x000316A9));
  EXPECT_FALSE(SignatureOverDrive(0x00002000));  // dual processor
  EXPECT_FALSE(SignatureOverDrive(0x00003000));
  EXPECT_FALSE(SignatureOverDrive(0));
}

TEST(RegisterText, BytesFromLowestToHighest) {
  EXPECT_EQ(RegisterText(0x756E6547), u"Genu");
  EXPECT_EQ(RegisterText(0x00000041), String(u"A\0\0\0", 4));
  EXPECT_EQ(RegisterText(0xFF80200A), u"\n \u0080\u00FF");
  EXPECT_EQ(RegisterText(0).size(), 4U);
}

TEST(RegisterText, VendorOfTwelveCharactersOrUnknown) {
  EXPECT_EQ(VendorText({0xD, 0x756E6547, 0x6C65746E, 0x49656E69}), u"GenuineIntel");
  EXPECT_EQ(VendorText({0x10, 0x68747541, 0x444D4163, 0x69746E65}), u"AuthenticAMD");
  // A zero byte anywhere ends the vendor early.
  EXPECT_EQ(VendorText({0xD, 0x756E6547, 0x006C746E, 0x49656E69}), u"Unknown");
  EXPECT_EQ(VendorText({0xD, 0x00000000, 0x6C65746E, 0x49656E69}), u"Unknown");
  EXPECT_EQ(VendorText({}), u"Unknown");
  // Other bytes, blanks included, are kept as they are.
  EXPECT_EQ(VendorText({0, 0x20202020, 0x20202020, 0x20202020}), u"            ");
}

TEST(BrandName, TrimsBlanksAndZeroBytesAtBothEnds) {
  String raw = u"      Intel(R) Core(TM) CPU";
  raw.resize(48, u'\0');
  EXPECT_EQ(TrimBrandName(raw), u"Intel(R) Core(TM) CPU");
  EXPECT_EQ(TrimBrandName(String(u"\0\x01\x1F AMD EPYC 7B13 \x20\0\x05", 17)), u"AMD EPYC 7B13");
  EXPECT_EQ(TrimBrandName(u"Exactly"), u"Exactly");
  // Blanks inside stay.
  EXPECT_EQ(TrimBrandName(u" A  B "), u"A  B");
}

TEST(BrandName, ControlCharacterInsideGivesLowerCaseUnknown) {
  EXPECT_EQ(TrimBrandName(u"  Intel\t(R) CPU  "), u"unknown");
  EXPECT_EQ(TrimBrandName(String(u"AMD\0EPYC", 8)), u"unknown");
  EXPECT_EQ(TrimBrandName(u"A\x1F"
                          u"B"),
            u"unknown");
  // Code 32 and above are not control characters; 127 and Latin-1 stay.
  EXPECT_EQ(TrimBrandName(u"A\x7F\u00AE"
                          u"B"),
            u"A\x7F\u00AE"
            u"B");
}

TEST(BrandName, NothingButBlanksGivesEmpty) {
  EXPECT_EQ(TrimBrandName(String(48, u'\0')), u"");
  EXPECT_EQ(TrimBrandName(String(48, u' ')), u"");
  EXPECT_EQ(TrimBrandName(u""), u"");
}

TEST(BrandName, ThreeLevelsInRegisterOrder) {
  // A brand as processors report it: blanks in front, zero bytes behind.
  const std::array<TCpuIdRegs, 3> levels = {{
      {0x20202020, 0x20202020, 0x20202020, 0x6E492020},
      {0x286C6574, 0x43202952, 0x2865726F, 0x20294D54},
      {0x20555043, 0x00003340, 0x00000000, 0x00000000},
  }};
  EXPECT_EQ(BrandNameText(levels), u"Intel(R) Core(TM) CPU @3");
}

TEST(SerialText, TwentyFourUpperCaseDigits) {
  EXPECT_EQ(SerialText(0x000306A9, 0xBFEBFBFF, 0x7FBAE3FF), u"000306A9BFEBFBFF7FBAE3FF");
  EXPECT_EQ(SerialText(0, 0, 0), u"000000000000000000000000");
  EXPECT_EQ(SerialText(0xFFFFFFFF, 0x12345678, 0xabcdef01), u"FFFFFFFF12345678ABCDEF01");
}

TEST(LevelAccepted, StandardLevelsUpToTheHighestStandard) {
  EXPECT_TRUE(LevelAccepted(0, 0xD, 0x80000008));
  EXPECT_TRUE(LevelAccepted(0xD, 0xD, 0x80000008));
  EXPECT_FALSE(LevelAccepted(0xE, 0xD, 0x80000008));
  EXPECT_TRUE(LevelAccepted(0, 0, 0));
  EXPECT_FALSE(LevelAccepted(1, 0, 0));
  // The highest standard level is compared as a signed number: a top bit makes it negative.
  EXPECT_FALSE(LevelAccepted(0, 0x80000000, 0x80000008));
  EXPECT_TRUE(LevelAccepted(0x7FFFFFFF, 0x7FFFFFFF, 0));
  // A large extended maximum does not admit standard levels the processor lacks.
  EXPECT_FALSE(LevelAccepted(5, 1, 0xFFFFFFFF));
}

TEST(LevelAccepted, ExtendedLevelsUpToTheHighestExtended) {
  EXPECT_TRUE(LevelAccepted(0x80000000, 0xD, 0x80000000));
  EXPECT_TRUE(LevelAccepted(0x80000004, 0xD, 0x80000004));
  EXPECT_FALSE(LevelAccepted(0x80000005, 0xD, 0x80000004));
  EXPECT_TRUE(LevelAccepted(0xFFFFFFFF, 0, 0xFFFFFFFF));
  // A processor without extended levels answers 0x80000000 with a small number.
  EXPECT_FALSE(LevelAccepted(0x80000000, 0xD, 0x00000002));
  EXPECT_FALSE(LevelAccepted(0x80000001, 0x7FFFFFFF, 0x00000002));
}

// ------------------------------------------------------------------------------------------------
// A simulated processor: a table of levels, and a log of the levels it executed.

struct Simulated {
  bool hasCpuId = true;
  std::map<uint32_t, TCpuIdRegs> levels;
  std::vector<uint32_t> executed;
};
Simulated* g_sim = nullptr;

bool SimHasCpuId() noexcept {
  return g_sim->hasCpuId;
}
TCpuIdRegs SimExecute(uint32_t level) noexcept {
  g_sim->executed.push_back(level);
  const auto it = g_sim->levels.find(level);
  // Like real processors, a level beyond the highest answers with the words of another level.
  return it != g_sim->levels.end() ? it->second : TCpuIdRegs{0xBAD, 0xBAD, 0xBAD, 0xBAD};
}
constexpr TCpuIdProcessor kSim{&SimHasCpuId, &SimExecute};

class CheckedExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.levels[0] = {0x1, 0x756E6547, 0x6C65746E, 0x49656E69};
    sim.levels[1] = {0x000306A9, 0x00100800, 0x7FBAE3FF, 0xBFEBFBFF};
    sim.levels[0x80000000] = {0x80000004, 0, 0, 0};
    sim.levels[0x80000001] = {0, 0, 0x1, 0x80000000};
    sim.levels[0x80000002] = {0x20202020, 0x20202020, 0x20202020, 0x6E492020};
    sim.levels[0x80000003] = {0x286C6574, 0x43202952, 0x2865726F, 0x20294D54};
    sim.levels[0x80000004] = {0x20555043, 0x00000000, 0x00000000, 0x00000000};
    g_sim = &sim;
  }
  void TearDown() override { g_sim = nullptr; }

  // The message of the EXANCpuIdError that executing `level` raises, or "" when none.
  String MessageOf(uint32_t level) {
    TCpuIdRegs r{1, 2, 3, 4};
    try {
      ExecuteCpuId(kSim, level, 1, r);
    } catch (const EXANCpuIdError& e) {
      EXPECT_EQ(r, (TCpuIdRegs{1, 2, 3, 4})) << "result changed on failure";
      return e.Message();
    }
    return u"";
  }

  Simulated sim;
};

TEST_F(CheckedExecution, ProbesBothMaximaThenExecutesTheLevel) {
  TCpuIdRegs r;
  ExecuteCpuId(kSim, 1, 1, r);
  EXPECT_EQ(r, sim.levels[1]);
  EXPECT_EQ(sim.executed, (std::vector<uint32_t>{0, 0x80000000, 1}));
}

TEST_F(CheckedExecution, RepeatsAndKeepsTheLastResult) {
  TCpuIdRegs r;
  ExecuteCpuId(kSim, 0x80000001, 3, r);
  EXPECT_EQ(r, sim.levels[0x80000001]);
  EXPECT_EQ(sim.executed,
            (std::vector<uint32_t>{0, 0x80000000, 0x80000001, 0x80000001, 0x80000001}));
  sim.executed.clear();
  ExecuteCpuId(kSim, 0, 0, r);  // a repeat count below 1 still executes once
  EXPECT_EQ(sim.executed.size(), 3U);
}

TEST_F(CheckedExecution, NoCpuIdRaisesBeforeExecutingAnything) {
  sim.hasCpuId = false;
  EXPECT_EQ(MessageOf(0), u"Cannot acquire CPU information (CPUID not supported)");
  EXPECT_TRUE(sim.executed.empty());
  EXPECT_EQ(VendorStringOf(kSim), u"Unknown");
  EXPECT_FALSE(HasTimeStampCounterOf(kSim));
  EXPECT_THROW(MarketNameOf(kSim), EXANCpuIdError);
  EXPECT_THROW(SerialNumberOf(kSim), EXANCpuIdError);
}

TEST_F(CheckedExecution, LevelsBeyondTheMaximaRaise) {
  EXPECT_EQ(MessageOf(1), u"");
  EXPECT_EQ(MessageOf(2), u"CPUID: execution level not supported");
  EXPECT_EQ(MessageOf(0x80000004), u"");
  EXPECT_EQ(MessageOf(0x80000005), u"CPUID: execution level not supported");
  // Without the brand levels the brand name raises rather than reading other levels' words.
  sim.levels[0x80000000].EAX = 0x80000001;
  EXPECT_EQ(MessageOf(0x80000002), u"CPUID: execution level not supported");
  try {
    MarketNameOf(kSim);
    FAIL() << "no exception";
  } catch (const EXANCpuIdError& e) {
    EXPECT_EQ(e.Message(), u"CPUID: execution level not supported");
  }
}

TEST_F(CheckedExecution, QueriesReadTheirWords) {
  EXPECT_EQ(VendorStringOf(kSim), u"GenuineIntel");
  EXPECT_EQ(MarketNameOf(kSim), u"Intel(R) Core(TM) CPU");
  EXPECT_EQ(SerialNumberOf(kSim), u"000306A9BFEBFBFF7FBAE3FF");
  EXPECT_TRUE(HasTimeStampCounterOf(kSim));
  sim.levels[1].EDX &= ~(1U << cpuft_tsc);
  EXPECT_FALSE(HasTimeStampCounterOf(kSim));
  // A tab inside the brand.
  sim.levels[0x80000003].EAX = 0x286C0974;
  EXPECT_EQ(MarketNameOf(kSim), u"unknown");
  sim.levels[0].EBX = 0x006E6547;
  EXPECT_EQ(VendorStringOf(kSim), u"Unknown");
}

TEST_F(CheckedExecution, SerialUsesTheSecondExecutionForEdxAndEcx) {
  // A processor whose level-1 words change between executions (as the first one sees them).
  static int calls;
  calls = 0;
  constexpr TCpuIdProcessor counting{
      &SimHasCpuId, [](uint32_t level) noexcept -> TCpuIdRegs {
        if (level != 1) return SimExecute(level);
        ++calls;
        return {static_cast<uint32_t>(calls), 0, 0x10U * calls, 0x100U * calls};
      }};
  EXPECT_EQ(SerialNumberOf(counting), u"000000010000020000000020");
}

TEST(SpeedFromCounts, MegahertzOfTheCounterAdvance) {
  EXPECT_EQ(SpeedFromCounts(0, 2000000000, 1000), 2000.0F);
  EXPECT_EQ(SpeedFromCounts(1000, 1000 + 500 * 3400000ULL, 500), 3400.0F);
  EXPECT_EQ(SpeedFromCounts(5, 5, 10), 0.0F);
  // Counts beyond 32 bits and measuring times whose product with 1000 exceeds 32 bits.
  EXPECT_EQ(SpeedFromCounts(0x100000000ULL, 0x100000000ULL + 3000000000ULL, 1000), 3000.0F);
  EXPECT_EQ(SpeedFromCounts(0, 4294967295ULL * 2500000ULL, 4294967295U), 2500.0F);
  // Single precision: the nearest float.
  EXPECT_EQ(SpeedFromCounts(0, 2583594321ULL, 1000), 2583.594321F);
}

TEST(SpeedFromCounts, ZeroTimeGivesZero) {
  EXPECT_EQ(SpeedFromCounts(0, 1000, 0), 0.0F);
  EXPECT_EQ(SpeedFromCounts(0, 0, 0), 0.0F);
}

// ------------------------------------------------------------------------------------------------
// Simulated clocks: every reading takes a microsecond; the counter runs at 2600 MHz. The thread
// may be held up once: the first reading at or after `holdAt` returns, then `holdFor`
// microseconds pass before the next one (as when the scheduler runs other threads).

struct SimClocks {
  uint64_t us = 500;  // in the middle of a tick
  uint64_t tickMicroseconds = 1000;
  uint64_t holdAt = UINT64_MAX;
  uint64_t holdFor = 0;
};
SimClocks* g_clocks = nullptr;

uint64_t SimRead(uint64_t value) noexcept {
  SimClocks& c = *g_clocks;
  if (c.us >= c.holdAt) {
    c.us += c.holdFor;
    c.holdAt = UINT64_MAX;
  }
  c.us += 1;
  return value;
}
uint64_t SimTick() noexcept {
  const uint64_t us = g_clocks->us;
  return SimRead(us / g_clocks->tickMicroseconds * (g_clocks->tickMicroseconds / 1000));
}
uint64_t SimTimeStamp() noexcept {
  return SimRead(g_clocks->us * 2600);
}
constexpr TSpeedClocks kSimClocks{&SimTick, &SimTimeStamp};

class SpeedMeasurement : public ::testing::Test {
 protected:
  void SetUp() override { g_clocks = &clocks; }
  void TearDown() override { g_clocks = nullptr; }
  float Measure(uint32_t milliseconds) {
    const TSpeedCounts c = MeasureCounts(kSimClocks, milliseconds);
    return SpeedFromCounts(c.Start, c.End, c.Milliseconds);
  }
  // What an undisturbed measurement gives: the first tick is waited for, not measured, but
  // counted, so the result runs 1/milliseconds low.
  static double Undisturbed(uint32_t milliseconds) {
    return 2600.0 * (milliseconds - 1) / milliseconds;
  }
  SimClocks clocks;
};

TEST_F(SpeedMeasurement, StartsAtATickChangeAndCountsTheMeasuringTime) {
  const TSpeedCounts c = MeasureCounts(kSimClocks, 100);
  EXPECT_EQ(c.Milliseconds, 100U);
  // The start is read right after the change to tick 1, the end right after the change to 100.
  EXPECT_NEAR(static_cast<double>(c.Start), 1000.0 * 2600, 5 * 2600);
  EXPECT_NEAR(static_cast<double>(c.End), 100000.0 * 2600, 5 * 2600);
  EXPECT_NEAR(Measure(100), Undisturbed(100), 1);
  EXPECT_NEAR(Measure(1), 0, 26);
}

TEST_F(SpeedMeasurement, AHoldUpWhileWaitingForTheFirstChange) {
  // Held up for 30 ms just before the tick count changes: the change seen is one of 30 ticks.
  clocks.holdAt = 900;
  clocks.holdFor = 30000;
  EXPECT_NEAR(Measure(20), Undisturbed(20), 26);
}

TEST_F(SpeedMeasurement, AHoldUpBetweenTheChangeAndTheStart) {
  clocks.holdAt = 1000;
  clocks.holdFor = 30000;
  EXPECT_NEAR(Measure(20), Undisturbed(20), 26);
}

TEST_F(SpeedMeasurement, AHoldUpBeforeTheEnd) {
  // Held up when the last tick has been seen, before the counter is read: the time is counted
  // up to where the end was actually read.
  clocks.holdAt = 20000;
  clocks.holdFor = 8000;
  EXPECT_NEAR(Measure(20), 2600.0 * 27 / 28, 26);
}

TEST_F(SpeedMeasurement, ACoarserTickCountStillEnds) {
  // Ticks of 2 ms never change by one: the start is taken after a few tries all the same.
  clocks.tickMicroseconds = 2000;
  EXPECT_NEAR(Measure(100), 2600.0 * 98 / 100, 26 * 2);
}

}  // namespace
}  // namespace xan::detail
