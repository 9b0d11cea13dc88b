// Tour section: processor identification, from the vendor to a short clock-speed measurement.
#include <iostream>

#include "tour.h"
#include "xan/cpuid.h"
#include "xan/xanbase.h"

void tour::Cpuid() {
  using namespace xan;
  Heading("Processor identification");
  std::cout << "  CPU_IDSupport() => " << (CPU_IDSupport() ? "true" : "false") << "\n";
  std::cout << "  CPU_Count() => " << CPU_Count() << "\n";
  Show("CPU_VendorString()", CPU_VendorString());
  try {
    Show("CPU_MarketName()", CPU_MarketName());
    std::cout << "  family " << CPU_Family() << " (extended " << CPU_ExFamily() << "), model "
              << CPU_Model() << " (extended " << CPU_ExModel() << "), stepping " << CPU_Stepping()
              << "\n";
    Show("CPU_SerialNumber()", CPU_SerialNumber());
    const uint32_t features = CPU_FeatureSet();
    const uint32_t extended = CPU_ExtendedFeatureSet();
    std::cout << "  features:\n";
    for (int bit = cpuft_fpu; bit <= cpuft_3dnow; ++bit) {
      const uint32_t word = bit == cpuft_3dnow ? extended : features;
      if ((word >> bit) & 1U) std::cout << "    " << ToUtf8(CPUFeatureNames[bit]) << "\n";
    }
  } catch (const EXANCpuIdError& e) {
    std::cout << "  " << e.what() << "\n";
  }
  std::cout << "  CPU_FDIVBugPresent() => " << (CPU_FDIVBugPresent() ? "true" : "false") << "\n";
  std::cout << "  CPU_Speed(200) => " << CPU_Speed(200) << " MHz\n";
}
