// The processor identification queries on the host's processor, and the clock-speed measurement
// against the tick count.
#include "xan/cpuid/identification.h"

#include "xan/platform/system.h"
#include "xan_cpuid/cpuid_parts.h"
#include "xan_cpuid/processor.h"

namespace xan {

using detail::HostProcessor;
using detail::TCpuIdRegs;

namespace {

TCpuIdRegs ExecuteOnHost(uint32_t level) {
  TCpuIdRegs r;
  detail::ExecuteCpuId(HostProcessor(), level, 1, r);
  return r;
}

}  // namespace

bool CPU_IDSupport() noexcept {
  return detail::HostHasIdFlag();
}

int32_t CPU_Count() noexcept {
  return ProcessorCount();
}

String CPU_VendorString() {
  return detail::VendorStringOf(HostProcessor());
}

uint32_t CPU_Signature() {
  return ExecuteOnHost(detail::kLevelSignature).EAX;
}

uint32_t CPU_FeatureSet() {
  return ExecuteOnHost(detail::kLevelSignature).EDX;
}

uint32_t CPU_ExtendedFeatureSet() {
  return ExecuteOnHost(detail::kLevelExtendedFeatures).EDX;
}

uint8_t CPU_BrandID() {
  return static_cast<uint8_t>(ExecuteOnHost(detail::kLevelSignature).EBX & 0xFFU);
}

uint32_t CPU_Type() {
  return detail::SignatureType(CPU_Signature());
}
uint32_t CPU_Family() {
  return detail::SignatureFamily(CPU_Signature());
}
uint32_t CPU_ExFamily() {
  return detail::SignatureExFamily(CPU_Signature());
}
uint32_t CPU_Model() {
  return detail::SignatureModel(CPU_Signature());
}
uint32_t CPU_ExModel() {
  return detail::SignatureExModel(CPU_Signature());
}
uint32_t CPU_Stepping() {
  return detail::SignatureStepping(CPU_Signature());
}
bool CPU_OverDrive() {
  return detail::SignatureOverDrive(CPU_Signature());
}

String CPU_SerialNumber() {
  return detail::SerialNumberOf(HostProcessor());
}

String CPU_MarketName() {
  return detail::MarketNameOf(HostProcessor());
}

bool CPU_FDIVBugPresent() noexcept {
  return detail::HostFdivFlawed();
}

float CPU_Speed(uint32_t MeasuringTime) noexcept {
  if (MeasuringTime == 0 || !detail::HasTimeStampCounterOf(HostProcessor())) return 0.0F;
  detail::TSpeedCounts counts;
  {
    const TRaisedPriority raised;
    counts = detail::MeasureCounts({&TickCount, &detail::HostTimeStamp}, MeasuringTime);
  }
  return detail::SpeedFromCounts(counts.Start, counts.End, counts.Milliseconds);
}

}  // namespace xan
