// Processor identification on the real processor, checked against what the host's kernel
// reports about it (/proc/cpuinfo, cpufreq) where it reports anything.
#include "xan/cpuid/identification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "xan/xanbase.h"

namespace xan {
namespace {

#if defined(__i386__) || defined(__x86_64__)
constexpr bool kX86 = true;
#else
constexpr bool kX86 = false;
#endif

// The "key : value" lines of the first processor in /proc/cpuinfo; empty when there is none.
std::map<std::string, std::string> CpuInfo() {
  std::map<std::string, std::string> info;
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line) && !line.empty()) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon);
    while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) key.pop_back();
    std::string value = line.substr(colon + 1);
    value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
    info[key] = value;
  }
  return info;
}

// A number from the first line of a file, or 0.
double NumberInFile(const char* path) {
  std::ifstream in(path);
  double v = 0;
  in >> v;
  return in ? v : 0;
}

// The frequency the host reports for the processor in megahertz, 0 when it reports none: the
// cpufreq base or highest frequency, else the "cpu MHz" of /proc/cpuinfo.
double ReportedMegahertz() {
  for (const char* path : {"/sys/devices/system/cpu/cpu0/cpufreq/base_frequency",
                           "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"}) {
    if (const double khz = NumberInFile(path); khz > 0) return khz / 1000;
  }
  const auto info = CpuInfo();
  const auto it = info.find("cpu MHz");
  return it == info.end() ? 0 : std::atof(it->second.c_str());
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
    info = CpuInfo();
  }
  // What /proc/cpuinfo says about the first processor; empty where the host has no such file.
  std::map<std::string, std::string> info;
};

TEST_F(OnX86, VendorIsTwelveCharactersAsTheHostReports) {
  const String vendor = CPU_VendorString();
  EXPECT_EQ(vendor.size(), 12U);
  EXPECT_NE(vendor, u"Unknown");
  if (info.count("vendor_id")) {
    EXPECT_EQ(ToUtf8(vendor), info["vendor_id"]);
  }
}

TEST_F(OnX86, SignatureFieldsAgreeWithTheHost) {
  const uint32_t sig = CPU_Signature();
  ASSERT_NE(sig, 0U);
  EXPECT_EQ(CPU_Stepping() | CPU_Model() << 4 | CPU_Family() << 8 | CPU_Type() << 12 |
                CPU_ExModel() << 16 | CPU_ExFamily() << 20,
            sig & 0x0FFF3FFFU);
  EXPECT_EQ(CPU_OverDrive(), CPU_Type() == 1);
  if (!info.count("cpu family") || !info.count("model") || !info.count("stepping")) {
    GTEST_SKIP() << "the host does not report family, model and stepping";
  }
  // The kernel's reading of the same fields.
  const uint32_t family = CPU_Family() == 0xF ? 0xF + CPU_ExFamily() : CPU_Family();
  const uint32_t model = family >= 6 ? CPU_Model() + (CPU_ExModel() << 4) : CPU_Model();
  EXPECT_EQ(std::to_string(family), info["cpu family"]);
  EXPECT_EQ(std::to_string(model), info["model"]);
  EXPECT_EQ(std::to_string(CPU_Stepping()), info["stepping"]);
}

TEST_F(OnX86, FeatureBitsAgreeWithTheHostFlags) {
  if (!info.count("flags")) GTEST_SKIP() << "the host reports no feature flags";
  std::set<std::string> flags;
  std::istringstream words(info["flags"]);
  for (std::string w; words >> w;) flags.insert(w);
  // The kernel's names of bits it reports as the processor does (it may hide others).
  const std::pair<TCPUFeatures, const char*> standard[] = {
      {cpuft_fpu, "fpu"},         {cpuft_de, "de"},   {cpuft_pse, "pse"},   {cpuft_tsc, "tsc"},
      {cpuft_msr, "msr"},         {cpuft_pae, "pae"}, {cpuft_mce, "mce"},   {cpuft_cx8, "cx8"},
      {cpuft_pge, "pge"},         {cpuft_mca, "mca"}, {cpuft_cmov, "cmov"}, {cpuft_pse36, "pse36"},
      {cpuft_clflush, "clflush"}, {cpuft_mmx, "mmx"}, {cpuft_xsr, "fxsr"},  {cpuft_simd, "sse"},
      {cpuft_simd2, "sse2"},
  };
  const uint32_t features = CPU_FeatureSet();
  for (const auto& [bit, name] : standard) {
    EXPECT_EQ(((features >> bit) & 1U) != 0, flags.count(name) == 1) << name;
  }
  const uint32_t extended = CPU_ExtendedFeatureSet();
  EXPECT_EQ(((extended >> cpuft_3dnow) & 1U) != 0, flags.count("3dnow") == 1);
  EXPECT_EQ(((extended >> 29) & 1U) != 0, flags.count("lm") == 1);  // long mode
}

TEST_F(OnX86, BrandHasNoControlCharactersAndMatchesTheHost) {
  const String brand = CPU_MarketName();
  EXPECT_LE(brand.size(), 48U);
  for (Char c : brand) EXPECT_GE(c, u' ');
  if (!brand.empty()) {
    EXPECT_GT(brand.front(), u' ');
    EXPECT_GT(brand.back(), u' ');
  }
  if (info.count("model name") && brand != u"unknown") {
    EXPECT_EQ(ToUtf8(brand), info["model name"]);
  }
}

TEST_F(OnX86, SerialIsSignatureThenFeatureWords) {
  const String serial = CPU_SerialNumber();
  ASSERT_EQ(serial.size(), 24U);
  for (Char c : serial) EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
  char expected[17];
  std::snprintf(expected, sizeof expected, "%08X%08X", CPU_Signature(), CPU_FeatureSet());
  EXPECT_EQ(ToUtf8(serial).substr(0, 16), expected);
}

TEST(CpuArithmetic, NoDivisionFlaw) {
  EXPECT_FALSE(CPU_FDIVBugPresent());
}

TEST(CpuSpeed, ZeroTimeGivesZeroAtOnce) {
  EXPECT_EQ(CPU_Speed(0), 0.0F);
}

TEST(CpuSpeed, AgreesWithTheHostsFrequency) {
  if (!CPU_IDSupport()) GTEST_SKIP() << "the processor has no time-stamp counter";
  const double reported = ReportedMegahertz();
  if (reported <= 0) GTEST_SKIP() << "the host reports no processor frequency";
  const float measured = CPU_Speed(200);
  std::printf("measured %.1f MHz, the host reports %.1f MHz\n", measured, reported);
  EXPECT_GT(measured, reported / 2);
  EXPECT_LT(measured, reported * 2);
}

TEST(CpuSpeed, ShortTimesMeasureTheSameClock) {
  if (!CPU_IDSupport()) GTEST_SKIP() << "the processor has no time-stamp counter";
  const float a = CPU_Speed(20);
  const float b = CPU_Speed(40);
  EXPECT_GT(a, 0.0F);
  EXPECT_GT(b, a * 0.8F);
  EXPECT_LT(b, a * 1.25F);
}

}  // namespace
}  // namespace xan
