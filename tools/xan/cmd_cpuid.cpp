// Subcommand cpuid: what the library's processor identification reads from this processor.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>

#include "tool.h"
#include "xan/cpuid/identification.h"
#include "xan/stringl/number_format.h"
#include "xan/xanbase.h"

namespace xantool {

namespace cpuid_cmd {

std::string Hex8(uint32_t v) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

std::string Line(const char* label, const std::string& value) {
  return std::string(label) + std::string(12 - std::strlen(label), ' ') + value + "\n";
}

int Run(bool speed) {
  std::string text = Line("processors", std::to_string(xan::CPU_Count()));
  if (!xan::CPU_IDSupport()) {
    Out(text);
    Complain("this processor has no CPUID instruction (or is not an x86 processor)");
    return kExitNo;
  }
  text += Line("vendor", xan::ToUtf8(xan::CPU_VendorString()));
  try {
    text += Line("brand", xan::ToUtf8(xan::CPU_MarketName()));
  } catch (const xan::EXANCpuIdError&) {
    text += Line("brand", "(not given: the processor lacks the brand levels)");
  }
  const uint32_t family = xan::CPU_Family() + (xan::CPU_Family() == 15 ? xan::CPU_ExFamily() : 0);
  const uint32_t model = xan::CPU_Family() == 6 || xan::CPU_Family() == 15
                             ? xan::CPU_ExModel() * 16 + xan::CPU_Model()
                             : xan::CPU_Model();
  text += Line("signature", Hex8(xan::CPU_Signature()) + " (family " + std::to_string(family) +
                                ", model " + std::to_string(model) + ", stepping " +
                                std::to_string(xan::CPU_Stepping()) + ", type " +
                                std::to_string(xan::CPU_Type()) + ")");
  text += Line("serial", xan::ToUtf8(xan::CPU_SerialNumber()));
  text += Line("FDIV flaw", xan::CPU_FDIVBugPresent() ? "present" : "absent");
  if (speed) {
    text += Line("clock", xan::ToUtf8(xan::strff(xan::CPU_Speed(250), 0, 0)) +
                              " MHz (time-stamp counter over 250 ms)");
  }
  const uint32_t standard = xan::CPU_FeatureSet();
  uint32_t extended = 0;
  try {
    extended = xan::CPU_ExtendedFeatureSet();
  } catch (const xan::EXANCpuIdError&) {
  }
  text += "features\n";
  for (int bit = 0; bit < 32; ++bit) {
    const uint32_t word = bit == xan::cpuft_3dnow ? extended : standard;
    if ((word >> bit & 1) == 0) continue;
    text += "  " + std::to_string(bit) + (bit < 10 ? "   " : "  ") +
            xan::ToUtf8(xan::CPUFeatureNames[static_cast<size_t>(bit)]) + "\n";
  }
  Out(text);
  return kExitOk;
}

}  // namespace cpuid_cmd

Action SetupCpuid(CLI::App& sub) {
  using namespace cpuid_cmd;
  auto speed = std::make_shared<bool>(false);
  sub.add_flag("-s,--speed", *speed,
               "Measure the clock speed too (busy for a quarter of a second)");
  return [speed] { return Run(*speed); };
}

}  // namespace xantool
